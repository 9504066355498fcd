#include "sync/shutdown_notifier.h"

#include "sync/texts.h"

const char kShutdownNotifierClass[] = "pelko.quorvane.shutdown_notifier";

ShutdownNotifier::ShutdownNotifier() : ready(false), restoreComplete(false) {
    loadSettings();
}

ShutdownNotifier::~ShutdownNotifier() {}

void ShutdownNotifier::create(HWND parent) {
    if (!ready) {
        return;
    }
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof(WNDCLASSEXA);
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_DBLCLKS;
    windowClass.lpfnWndProc = &pelkolib::Window::staticWindowProc;
    windowClass.cbClsExtra = 0;
    windowClass.cbWndExtra = 0;
    windowClass.hInstance = GetModuleHandleA(NULL);
    windowClass.hIcon = LoadIconA(NULL, IDI_APPLICATION);
    windowClass.hCursor = LoadCursorA(NULL, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_WINDOW));
    windowClass.lpszMenuName = NULL;
    windowClass.lpszClassName = kShutdownNotifierClass;
    windowClass.hIconSm = NULL;
    if (RegisterClassExA(&windowClass) == 0) {
        return;
    }
    HWND window = CreateWindowExA(WS_EX_TOPMOST, kShutdownNotifierClass, "", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                  CW_USEDEFAULT, 300, 200, parent, NULL, GetModuleHandleA(NULL), NULL);
    // Bound only now: the system's own WM_CREATE during creation must not restore.
    attach(window);
    SendMessageA(handle, WM_CREATE, 0, 0);
}

LRESULT ShutdownNotifier::windowProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_CREATE:
        restore();
        return 0;
    case WM_DESTROY:
        save();
        PostQuitMessage(0);
        break;
    case WM_QUERYENDSESSION:
        // Windows ends a hidden window's process that keeps it waiting; this tells it why to wait.
        ShutdownBlockReasonCreate(handle, QUORVANE_TEXT_SAVING);
        save();
        ShutdownBlockReasonDestroy(handle);
        break;
    default:
        break;
    }
    return defaultProc(message, wParam, lParam);
}
