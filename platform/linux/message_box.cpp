// Message boxes, and the shutdown-block reason that only a desktop would show.
#include "platform/os.h"

#include <cstdio>
#include <string>

namespace {

// The text with each CR LF as one line break.
std::string withLineBreaks(LPCSTR text) {
    std::string result;
    for (const char* c = text != nullptr ? text : ""; *c != '\0'; ++c) {
        if (c[0] == '\r' && c[1] == '\n') {
            continue;
        }
        result += *c;
    }
    return result;
}

} // namespace

int MessageBoxA(HWND, LPCSTR text, LPCSTR caption, UINT) {
    // No desktop to show it on: the message goes to stderr and counts as dismissed with OK.
    std::fprintf(stderr, "%s: %s\n", withLineBreaks(caption).c_str(), withLineBreaks(text).c_str());
    std::fflush(stderr);
    return IDOK;
}

BOOL ShutdownBlockReasonCreate(HWND, LPCWSTR) {
    return TRUE;
}

BOOL ShutdownBlockReasonDestroy(HWND) {
    return TRUE;
}
