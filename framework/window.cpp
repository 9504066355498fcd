#include "framework/window.h"

namespace pelkolib {

Window::Window() : handle(NULL), previousProc(NULL) {
    attach(NULL);
}

Window::~Window() {}

void Window::create(HWND) {}

LRESULT Window::windowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    return defaultProc(message, wParam, lParam);
}

void Window::attach(HWND window) {
    detach();
    handle = window;
    if (handle != NULL) {
        SetWindowLongPtrA(handle, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    }
}

void Window::detach() {
    if (previousProc != NULL) {
        SetWindowLongPtrA(handle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previousProc));
    }
    previousProc = NULL;
}

LRESULT Window::defaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (previousProc != NULL) {
        return CallWindowProcA(previousProc, handle, message, wParam, lParam);
    }
    if (GetWindowLongPtrA(handle, DWLP_DLGPROC) != 0) {
        return FALSE;
    }
    return DefWindowProcA(handle, message, wParam, lParam);
}

LRESULT CALLBACK Window::staticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Window* object = reinterpret_cast<Window*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message == WM_INITDIALOG) {
        // A dialog carries its object; without one nothing is bound and the default answers.
        object = reinterpret_cast<Window*>(lParam);
        if (object != NULL) {
            object->attach(window);
        }
    }
    if (object != NULL) {
        return object->windowProc(message, wParam, lParam);
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

} // namespace pelkolib
