// Messages: sending, the thread's queue, the quit message and default processing.
#include "platform/linux/window_state.h"

#include <algorithm>
#include <chrono>
#include <deque>

namespace {

std::deque<MSG> queue;
bool quitPending = false;
int quitCode = 0;

// Milliseconds since an arbitrary start, as message times are.
DWORD messageTime() {
    const auto now = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<DWORD>(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

// True when a GetMessageA with these filters takes `message`.
bool matches(const MSG& message, HWND window, UINT filterMin, UINT filterMax) {
    if (window != nullptr && message.hwnd != window) {
        return false;
    }
    return (filterMin == 0 && filterMax == 0) || (message.message >= filterMin && message.message <= filterMax);
}

} // namespace

namespace platform_linux {

void purgeMessages(HWND window) {
    queue.erase(std::remove_if(queue.begin(), queue.end(), [window](const MSG& message) { return message.hwnd == window; }),
                queue.end());
}

void clearMessages() {
    queue.clear();
    quitPending = false;
    quitCode = 0;
}

} // namespace platform_linux

LRESULT CallWindowProcA(WNDPROC proc, HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    return proc != nullptr ? proc(window, message, wParam, lParam) : 0;
}

LRESULT DefWindowProcA(HWND window, UINT message, WPARAM, LPARAM) {
    switch (message) {
    case WM_NCCREATE:
    case WM_QUERYENDSESSION:
        return TRUE;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    default:
        return 0;
    }
}

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const platform_linux::WindowRecord* record = platform_linux::findWindow(window);
    if (record == nullptr) {
        return 0;
    }
    return CallWindowProcA(record->procedure, window, message, wParam, lParam);
}

BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (platform_linux::findWindow(window) == nullptr) {
        return FALSE;
    }
    MSG posted = {};
    posted.hwnd = window;
    posted.message = message;
    posted.wParam = wParam;
    posted.lParam = lParam;
    posted.time = messageTime();
    queue.push_back(posted);
    return TRUE;
}

void PostQuitMessage(int exitCode) {
    quitPending = true;
    quitCode = exitCode;
}

BOOL GetMessageA(LPMSG msg, HWND window, UINT filterMin, UINT filterMax) {
    if (msg == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return -1;
    }
    if (window != nullptr && platform_linux::findWindow(window) == nullptr) {
        return -1;
    }
    // Posted messages come first; the quit message only once the queue has none left.
    const auto found = std::find_if(queue.begin(), queue.end(), [&](const MSG& message) {
        return matches(message, window, filterMin, filterMax);
    });
    if (found != queue.end()) {
        *msg = *found;
        queue.erase(found);
        return msg->message != WM_QUIT ? TRUE : FALSE;
    }
    if (quitPending) {
        quitPending = false;
        *msg = MSG{};
        msg->message = WM_QUIT;
        msg->wParam = static_cast<WPARAM>(quitCode);
        msg->time = messageTime();
        return FALSE;
    }
    // Nothing else can post on this one thread: the only event left to wait for is the session end.
    platform_linux::endSessionOnSignal();
}

BOOL TranslateMessage(const MSG*) {
    // No keyboard input reaches this layer, so there is nothing to translate.
    return FALSE;
}

LRESULT DispatchMessageA(const MSG* msg) {
    if (msg == nullptr || msg->hwnd == nullptr) {
        return 0;
    }
    return SendMessageA(msg->hwnd, msg->message, msg->wParam, msg->lParam);
}
