// Windows, classes and messages. (Placeholder until the window layer lands.)
#include "platform/linux/internal.h"
#include "platform/linux/seams.h"

#include <cstdio>

ATOM RegisterClassExA(const WNDCLASSEXA*) { return 0; }
HWND CreateWindowExA(DWORD, LPCSTR, LPCSTR, DWORD, int, int, int, int, HWND, HMENU, HINSTANCE, LPVOID) { return nullptr; }
BOOL DestroyWindow(HWND) { return FALSE; }
BOOL IsWindow(HWND) { return FALSE; }
LONG GetWindowLongA(HWND, int) { return 0; }
LONG SetWindowLongA(HWND, int, LONG) { return 0; }
LONG_PTR GetWindowLongPtrA(HWND, int) { return 0; }
LONG_PTR SetWindowLongPtrA(HWND, int, LONG_PTR) { return 0; }
LRESULT CallWindowProcA(WNDPROC proc, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return proc != nullptr ? proc(window, message, wParam, lParam) : 0;
}
LRESULT DefWindowProcA(HWND, UINT message, WPARAM, LPARAM) { return message == WM_QUERYENDSESSION ? TRUE : 0; }
LRESULT SendMessageA(HWND, UINT, WPARAM, LPARAM) { return 0; }
BOOL PostMessageA(HWND, UINT, WPARAM, LPARAM) { return FALSE; }
namespace { int quitCode = 0; bool quitPosted = false; }
void PostQuitMessage(int exitCode) { quitCode = exitCode; quitPosted = true; }
BOOL GetMessageA(LPMSG msg, HWND, UINT, UINT) {
    if (quitPosted) { quitPosted = false; *msg = MSG{}; msg->message = WM_QUIT; msg->wParam = static_cast<WPARAM>(quitCode); return FALSE; }
    return -1;
}
BOOL TranslateMessage(const MSG*) { return FALSE; }
LRESULT DispatchMessageA(const MSG*) { return 0; }
HICON LoadIconA(HINSTANCE, LPCSTR) { return nullptr; }
HCURSOR LoadCursorA(HINSTANCE, LPCSTR) { return nullptr; }
HWND GetDesktopWindow() { return nullptr; }
int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT) { std::fprintf(stderr, "%s: %s\n", caption, text); return IDOK; }
BOOL ShutdownBlockReasonCreate(HWND, LPCWSTR) { return TRUE; }
BOOL ShutdownBlockReasonDestroy(HWND) { return TRUE; }

namespace platform_seams {
void resetWindows() {}
}
