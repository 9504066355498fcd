// What the Linux layer's window sources share: the class registry, the
// window table and the thread's message queue.
#pragma once

#include "platform/os.h"

#include <string>
#include <vector>

namespace platform_linux {

// One registered window class.
struct WindowClass {
    // The name as registered; lookups ignore ASCII case.
    std::string name;
    // The class atom RegisterClassExA returned.
    ATOM atom = 0;
    // The procedure new windows of the class start with.
    WNDPROC procedure = nullptr;
    // How many extra bytes each window of the class carries.
    int windowExtraBytes = 0;
};

// One live window.
struct WindowRecord {
    // The window's handle value.
    HWND handle = nullptr;
    // The parent or owner given at creation; none for a top-level window.
    HWND parent = nullptr;
    // The current window procedure.
    WNDPROC procedure = nullptr;
    // The user-data slot, 0 until set.
    LONG_PTR userData = 0;
    // The class's extra window bytes, zero until set.
    std::vector<unsigned char> extraBytes;
    // True once DestroyWindow has begun on the window.
    bool destroying = false;
};

// The class registered under `name` (or the atom a MAKEINTATOM value carries), or null.
const WindowClass* findClass(LPCSTR name);
// Unregisters every class.
void clearClasses();

// The live window behind `window`, or null (the error is then ERROR_INVALID_WINDOW_HANDLE).
WindowRecord* findWindow(HWND window);
// The live top-level windows, oldest first.
std::vector<HWND> topLevelWindows();

// Drops every queued message for `window`.
void purgeMessages(HWND window);
// Empties the queue and forgets a pending quit.
void clearMessages();

// Blocks SIGTERM, SIGINT and SIGHUP for the calling thread, so that only the message loop takes them.
void blockSessionEndSignals();
// Waits for SIGTERM, SIGINT or SIGHUP, ends the session as Windows would and ends the process with 0.
[[noreturn]] void endSessionOnSignal();
// Asks every top-level window whether the session may end, then tells each the outcome; true when all agreed.
bool endSession();

} // namespace platform_linux
