// Shared by the window tests: a log of the messages window procedures see,
// a recording procedure with scripted answers, and sequence checks that
// report the caller's line.
#pragma once

#include "platform/linux/seams.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace window_testing {

// One message as a procedure saw it; creation messages log their CREATESTRUCTA's lpCreateParams as lParam.
struct Seen {
    HWND window;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;

    bool operator==(const Seen& other) const {
        return window == other.window && message == other.message && wParam == other.wParam &&
               lParam == other.lParam;
    }
};

// Every message the recording procedures saw, in order.
inline std::vector<Seen>& seen() {
    static std::vector<Seen> log;
    return log;
}

// Answers the recording procedure gives instead of DefWindowProcA's, by message.
inline std::map<UINT, LRESULT>& answers() {
    static std::map<UINT, LRESULT> table;
    return table;
}

// Logs the message, then answers from `answers()` or with DefWindowProcA.
inline LRESULT CALLBACK recordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    LPARAM logged = lParam;
    if ((message == WM_NCCREATE || message == WM_CREATE) && lParam != 0) {
        logged = reinterpret_cast<LPARAM>(reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams);
    }
    seen().push_back(Seen{window, message, wParam, logged});
    const auto answer = answers().find(message);
    if (answer != answers().end()) {
        return answer->second;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The messages one to a line, for failure reports.
inline std::string describe(const std::vector<Seen>& messages) {
    std::ostringstream text;
    for (const Seen& one : messages) {
        text << "\n  window " << one.window << " message 0x" << std::hex << one.message << std::dec << " wParam "
             << one.wParam << " lParam " << one.lParam;
    }
    return messages.empty() ? std::string("\n  (none)") : text.str();
}

// Compares the log with `expected` and clears it; failures name the caller's line.
inline void okSequence(const std::vector<Seen>& expected, const char* what, int line) {
    if (seen() != expected) {
        ADD_FAILURE_AT(__FILE__, line) << what << ": messages differ\nexpected:" << describe(expected)
                                       << "\nseen:" << describe(seen());
    }
    seen().clear();
}
#define ok_sequence(expected, what) window_testing::okSequence(expected, what, __LINE__)

// Registers a class served by `procedure` with `extraBytes` extra window bytes; checks it worked.
inline ATOM registerClass(const char* name, WNDPROC procedure, int extraBytes, int line) {
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.cbWndExtra = extraBytes;
    windowClass.lpszClassName = name;
    const ATOM atom = RegisterClassExA(&windowClass);
    if (atom == 0) {
        ADD_FAILURE_AT(__FILE__, line) << "RegisterClassExA(" << name << ") failed, error " << GetLastError();
    }
    return atom;
}
#define register_class(name, procedure, extraBytes) window_testing::registerClass(name, procedure, extraBytes, __LINE__)

// A top-level window of `className` with `param` as its creation parameter.
inline HWND makeWindow(const char* className, HWND parent = nullptr, void* param = nullptr) {
    return CreateWindowExA(0, className, "", 0, 0, 0, 10, 10, parent, nullptr, nullptr, param);
}

// Starts each test with no windows, classes, queued messages, log or scripted answers.
class WindowLayerTest : public ::testing::Test {
protected:
    void SetUp() override { clear(); }
    void TearDown() override { clear(); }

private:
    static void clear() {
        platform_seams::resetWindows();
        seen().clear();
        answers().clear();
    }
};

} // namespace window_testing
