// The process entry on Linux: hands over to the program's WinMain.
#include "platform/os.h"

int main() {
    return WinMain(GetModuleHandleA(NULL), NULL, GetCommandLineA(), SW_SHOW);
}
