// qvtool: a small Windows helper for the end-to-end tests. It does to other
// processes' windows and files what a user or another program would.
//
//   qvtool msgbox CAPTION [SECONDS]     wait for a message box with this caption,
//                                       print what it shows, press its OK button
//   qvtool wait-window CLASS [SECONDS]  wait until a top-level window of CLASS exists
//                                       and its thread answers messages
//   qvtool close CLASS                  post WM_CLOSE to the top-level window of CLASS
//   qvtool hold FILE SECONDS            open FILE with no sharing and keep it open
//   qvtool acp                          print the ANSI code page
//
// Everything printed is one "name value" pair a line; texts are printed as
// hexadecimal bytes so that they can be compared exactly. Exit code 0 on
// success, 1 when the wait timed out or the call failed, 2 on bad usage.
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const DWORD kPollMs = 50;

int usage() {
    std::fprintf(stderr, "usage: qvtool msgbox CAPTION [SECONDS] | wait-window CLASS [SECONDS] | "
                         "close CLASS | hold FILE SECONDS | acp\n");
    return 2;
}

DWORD secondsArg(int argc, char** argv, int index, DWORD fallback) {
    if (index >= argc) {
        return fallback;
    }
    return static_cast<DWORD>(std::strtoul(argv[index], nullptr, 10));
}

std::string hex(const std::string& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::string windowText(HWND window) {
    std::vector<char> buffer(4096, '\0');
    const int length = GetWindowTextA(window, buffer.data(), static_cast<int>(buffer.size()));
    return std::string(buffer.data(), length > 0 ? static_cast<std::size_t>(length) : 0);
}

std::string className(HWND window) {
    char buffer[256] = {};
    const int length = GetClassNameA(window, buffer, sizeof buffer);
    return std::string(buffer, length > 0 ? static_cast<std::size_t>(length) : 0);
}

HWND waitForWindow(const char* windowClass, const char* caption, DWORD seconds) {
    const ULONGLONG deadline = GetTickCount64() + static_cast<ULONGLONG>(seconds) * 1000;
    for (;;) {
        HWND window = FindWindowA(windowClass, caption);
        if (window != NULL) {
            return window;
        }
        if (GetTickCount64() >= deadline) {
            return NULL;
        }
        Sleep(kPollMs);
    }
}

struct BoxContents {
    std::string text;
    int buttons = 0;
    bool hasOk = false;
    bool hasIcon = false;
};

BOOL CALLBACK collectChild(HWND child, LPARAM param) {
    BoxContents& box = *reinterpret_cast<BoxContents*>(param);
    const std::string kind = className(child);
    if (lstrcmpiA(kind.c_str(), "Button") == 0) {
        ++box.buttons;
        box.hasOk = box.hasOk || GetDlgCtrlID(child) == IDOK;
    } else if (lstrcmpiA(kind.c_str(), "Static") == 0) {
        const LONG_PTR style = GetWindowLongPtrA(child, GWL_STYLE);
        if ((style & SS_TYPEMASK) == SS_ICON) {
            box.hasIcon = box.hasIcon || SendMessageA(child, STM_GETICON, 0, 0) != 0;
        } else if (box.text.empty()) {
            box.text = windowText(child);
        }
    }
    return TRUE;
}

int messageBox(const char* caption, DWORD seconds) {
    HWND box = waitForWindow("#32770", caption, seconds);
    if (box == NULL) {
        std::printf("found 0\n");
        return 1;
    }
    BoxContents contents;
    // A message box's text is the static control with the id 0xFFFF; look
    // through all children in case the dialog numbers it differently.
    HWND text = GetDlgItem(box, 0xFFFF);
    if (text != NULL) {
        contents.text = windowText(text);
    }
    EnumChildWindows(box, collectChild, reinterpret_cast<LPARAM>(&contents));
    std::printf("found 1\n");
    std::printf("caption %s\n", hex(windowText(box)).c_str());
    std::printf("text %s\n", hex(contents.text).c_str());
    std::printf("buttons %d\n", contents.buttons);
    std::printf("ok %d\n", contents.hasOk ? 1 : 0);
    std::printf("icon %d\n", contents.hasIcon ? 1 : 0);
    std::printf("owner %d\n", GetWindow(box, GW_OWNER) != NULL ? 1 : 0);
    std::fflush(stdout);
    // Press OK the way a click does; the box must then go away.
    HWND ok = GetDlgItem(box, IDOK);
    if (ok != NULL) {
        SendMessageA(ok, BM_CLICK, 0, 0);
    } else {
        PostMessageA(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    }
    const ULONGLONG deadline = GetTickCount64() + 10000;
    while (IsWindow(box)) {
        if (GetTickCount64() >= deadline) {
            std::printf("dismissed 0\n");
            return 1;
        }
        Sleep(kPollMs);
    }
    std::printf("dismissed 1\n");
    return 0;
}

// Waits for the window, then until its thread takes messages: a window can
// exist a while before the program that made it reaches its message loop.
int waitWindow(const char* windowClass, DWORD seconds) {
    const ULONGLONG start = GetTickCount64();
    HWND window = waitForWindow(windowClass, NULL, seconds);
    std::printf("found %d\n", window != NULL ? 1 : 0);
    if (window == NULL) {
        return 1;
    }
    std::printf("visible %d\n", IsWindowVisible(window) ? 1 : 0);
    const ULONGLONG spent = GetTickCount64() - start;
    const ULONGLONG limit = static_cast<ULONGLONG>(seconds) * 1000;
    const UINT remaining = static_cast<UINT>(limit > spent ? limit - spent : 0);
    DWORD_PTR answer = 0;
    const bool responding =
        remaining > 0 && SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, remaining, &answer) != 0;
    std::printf("responding %d\n", responding ? 1 : 0);
    return responding ? 0 : 1;
}

int closeWindow(const char* windowClass) {
    HWND window = FindWindowA(windowClass, NULL);
    if (window == NULL) {
        std::printf("found 0\n");
        return 1;
    }
    std::printf("found 1\n");
    return PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 1;
}

int hold(const char* path, DWORD seconds) {
    HANDLE file = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        std::printf("held 0 error %lu\n", GetLastError());
        return 1;
    }
    std::printf("held 1\n");
    std::fflush(stdout);
    Sleep(seconds * 1000);
    CloseHandle(file);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        return usage();
    }
    const std::string command = argv[1];
    int result = 2;
    if (command == "msgbox" && argc >= 3) {
        result = messageBox(argv[2], secondsArg(argc, argv, 3, 30));
    } else if (command == "wait-window" && argc >= 3) {
        result = waitWindow(argv[2], secondsArg(argc, argv, 3, 30));
    } else if (command == "close" && argc == 3) {
        result = closeWindow(argv[2]);
    } else if (command == "hold" && argc == 4) {
        result = hold(argv[2], secondsArg(argc, argv, 3, 0));
    } else if (command == "acp" && argc == 2) {
        std::printf("acp %u\n", GetACP());
        result = 0;
    } else {
        return usage();
    }
    std::fflush(stdout);
    return result;
}
