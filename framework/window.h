// Binds an object to a window or dialog through the window's user-data slot.
#pragma once

#include "platform/os.h"

namespace pelkolib {

// Base of every object that handles the messages of one window or dialog.
class Window {
public:
    // Binds the object to no window.
    Window();
    // Leaves the window, its procedure and its user-data slot as they are.
    virtual ~Window();

    // Makes the object's window; the base makes none.
    virtual void create(HWND parent);
    // Handles one message of the bound window; the base gives default processing.
    virtual LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam);

    // Binds the object to `window` through its user-data slot (none: holds no handle).
    void attach(HWND window);
    // Gives a recorded previous procedure back to the bound window; keeps `handle`.
    void detach();
    // Default processing: the previous procedure, the dialog manager's FALSE, or DefWindowProcA.
    LRESULT defaultProc(UINT message, WPARAM wParam, LPARAM lParam);

    // The procedure of every framework window class and dialog: finds the object and hands it the message.
    static LRESULT CALLBACK staticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    // The window or dialog the object is bound to, or none.
    HWND handle;
    // The bound window's procedure before the framework took it over, or none.
    WNDPROC previousProc;

private:
    Window(const Window&) = delete;
    Window& operator=(const Window&) = delete;
};

} // namespace pelkolib
