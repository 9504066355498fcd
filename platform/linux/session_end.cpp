// The session end: SIGTERM, SIGINT and SIGHUP, taken by the message loop.
#include "platform/linux/seams.h"
#include "platform/linux/window_state.h"

#include <csignal>
#include <cstdlib>
#include <pthread.h>

namespace {

// SIGTERM, SIGINT and SIGHUP: what ends a Linux session for a daemon.
sigset_t sessionEndSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGHUP);
    return signals;
}

} // namespace

namespace platform_linux {

void blockSessionEndSignals() {
    const sigset_t signals = sessionEndSignals();
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
}

bool endSession() {
    // Every window is asked before any is told; each answer comes only after its handler has ended.
    const std::vector<HWND> windows = topLevelWindows();
    bool agreed = true;
    for (HWND window : windows) {
        if (IsWindow(window) && SendMessageA(window, WM_QUERYENDSESSION, 0, 0) == FALSE) {
            agreed = false;
        }
    }
    for (HWND window : windows) {
        if (IsWindow(window)) {
            SendMessageA(window, WM_ENDSESSION, agreed ? TRUE : FALSE, 0);
        }
    }
    return agreed;
}

void endSessionOnSignal() {
    // Blocked from here on (main blocks them earlier): a signal arriving while a
    // handler runs stays pending instead of cutting it short.
    blockSessionEndSignals();
    const sigset_t signals = sessionEndSignals();
    while (sigwaitinfo(&signals, nullptr) < 0) {
        // Interrupted by some other signal's handler: keep waiting.
    }
    endSession();
    // The session is over: no WM_DESTROY follows, as on Windows; exit processing still runs.
    std::exit(0);
}

} // namespace platform_linux

namespace platform_seams {

bool endSessionNow() {
    return platform_linux::endSession();
}

} // namespace platform_seams
