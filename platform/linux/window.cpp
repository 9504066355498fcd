// Windows: creation with its messages, destruction, handles and the window table.
#include "platform/linux/seams.h"
#include "platform/linux/window_state.h"

#include <map>

namespace {

using platform_linux::WindowRecord;

// Handle values only grow, so a destroyed window's handle never names a later window.
const UINT_PTR kHandleStep = 4;
UINT_PTR nextHandle = 0x20000;
// The desktop's pseudo handle lies below every window handle.
const UINT_PTR kDesktopHandle = 0x10010;

std::map<UINT_PTR, WindowRecord> windows;

// The live window behind `window`, or null; sets no error.
WindowRecord* lookup(HWND window) {
    const auto found = windows.find(reinterpret_cast<UINT_PTR>(window));
    return found != windows.end() ? &found->second : nullptr;
}

// Sends the last message a window gets and forgets it.
void release(HWND window) {
    if (lookup(window) == nullptr) {
        return;
    }
    SendMessageA(window, WM_NCDESTROY, 0, 0);
    windows.erase(reinterpret_cast<UINT_PTR>(window));
    platform_linux::purgeMessages(window);
}

// The live windows created with `window` as their parent.
std::vector<HWND> childrenOf(HWND window) {
    std::vector<HWND> children;
    for (const auto& entry : windows) {
        if (entry.second.parent == window) {
            children.push_back(entry.second.handle);
        }
    }
    return children;
}

} // namespace

namespace platform_linux {

WindowRecord* findWindow(HWND window) {
    WindowRecord* record = lookup(window);
    if (record == nullptr) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    }
    return record;
}

std::vector<HWND> topLevelWindows() {
    std::vector<HWND> found;
    for (const auto& entry : windows) {
        if (entry.second.parent == nullptr && !entry.second.destroying) {
            found.push_back(entry.second.handle);
        }
    }
    return found;
}

} // namespace platform_linux

HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param) {
    if (platform_seams::takeFailure("CreateWindowExA")) {
        return nullptr;
    }
    const platform_linux::WindowClass* windowClass = platform_linux::findClass(className);
    if (windowClass == nullptr) {
        SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
        return nullptr;
    }
    if (parent != nullptr && platform_linux::findWindow(parent) == nullptr) {
        return nullptr;
    }

    WindowRecord record;
    record.handle = reinterpret_cast<HWND>(nextHandle);
    nextHandle += kHandleStep;
    record.parent = parent;
    record.procedure = windowClass->procedure;
    record.extraBytes.assign(static_cast<std::size_t>(windowClass->windowExtraBytes), 0);
    const HWND window = record.handle;
    windows[reinterpret_cast<UINT_PTR>(window)] = record;

    CREATESTRUCTA create = {};
    create.lpCreateParams = param;
    create.hInstance = instance;
    create.hMenu = menu;
    create.hwndParent = parent;
    create.cy = height;
    create.cx = width;
    create.y = y;
    create.x = x;
    create.style = static_cast<LONG>(style);
    create.lpszName = windowName;
    create.lpszClass = className;
    create.dwExStyle = exStyle;

    // The procedures may destroy the window themselves, so it is looked up again after each message.
    if (SendMessageA(window, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&create)) == FALSE) {
        release(window);
        return nullptr;
    }
    if (lookup(window) == nullptr) {
        return nullptr;
    }
    if (SendMessageA(window, WM_CREATE, 0, reinterpret_cast<LPARAM>(&create)) == -1) {
        DestroyWindow(window);
        return nullptr;
    }
    return lookup(window) != nullptr ? window : nullptr;
}

BOOL DestroyWindow(HWND window) {
    WindowRecord* record = platform_linux::findWindow(window);
    if (record == nullptr) {
        return FALSE;
    }
    if (record->destroying) {
        // Already on its way out, for instance asked again from its own WM_DESTROY.
        return TRUE;
    }
    record->destroying = true;
    SendMessageA(window, WM_DESTROY, 0, 0);
    for (HWND child : childrenOf(window)) {
        DestroyWindow(child);
    }
    release(window);
    return TRUE;
}

BOOL IsWindow(HWND window) {
    return lookup(window) != nullptr ? TRUE : FALSE;
}

HWND GetDesktopWindow() {
    return reinterpret_cast<HWND>(kDesktopHandle);
}

namespace platform_seams {

void resetWindows() {
    windows.clear();
    platform_linux::clearClasses();
    platform_linux::clearMessages();
}

} // namespace platform_seams
