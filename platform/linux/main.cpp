// The process entry on Linux: hands over to the program's WinMain.
#include "platform/linux/window_state.h"

int main() {
    // The session-end signals are taken only by the message loop, never by a
    // handler: blocked now, they wait while the restore or a save runs.
    platform_linux::blockSessionEndSignals();
    return WinMain(GetModuleHandleA(NULL), NULL, GetCommandLineA(), SW_SHOW);
}
