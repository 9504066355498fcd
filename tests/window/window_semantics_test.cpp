// What the program relies on of window classes, windows and messages, checked
// the same way against the Windows API and against our Linux layer.
//
// The system may send a window more messages than the ones listed in
// kMessagesOfInterest (sizing, activation, painting); the records keep only
// those, so that each check states an order both implementations must keep.
#include "platform/os.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstddef>
#include <map>
#include <sstream>
#include <string>
#include <vector>

namespace {

const UINT kMessagesOfInterest[] = {
    WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY, WM_CLOSE, WM_QUERYENDSESSION,
    WM_USER,     WM_USER + 1, WM_USER + 2, WM_USER + 3,
};

bool ofInterest(UINT message) {
    return std::find(std::begin(kMessagesOfInterest), std::end(kMessagesOfInterest), message) !=
           std::end(kMessagesOfInterest);
}

// One message as a procedure saw it.
struct Seen {
    // Which procedure: 'r' the recording class procedure, 's' the replacement one.
    char by;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;

    bool operator==(const Seen& other) const {
        return by == other.by && message == other.message && wParam == other.wParam && lParam == other.lParam;
    }
};

std::string describe(const std::vector<Seen>& messages) {
    std::ostringstream text;
    for (const Seen& one : messages) {
        text << "\n  " << one.by << " 0x" << std::hex << one.message << std::dec << " wParam " << one.wParam
             << " lParam " << one.lParam;
    }
    return messages.empty() ? std::string("\n  (none)") : text.str();
}

// The messages of interest seen, in order.
std::vector<Seen>& seen() {
    static std::vector<Seen> log;
    return log;
}

// Answers the recording procedure gives instead of DefWindowProcA's.
std::map<UINT, LRESULT>& answers() {
    static std::map<UINT, LRESULT> table;
    return table;
}

void record(char by, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!ofInterest(message)) {
        return;
    }
    // A creation message's lParam points at a structure on the creator's stack:
    // what is recorded is the creation parameter it carries.
    if ((message == WM_NCCREATE || message == WM_CREATE) && lParam != 0) {
        lParam = reinterpret_cast<LPARAM>(reinterpret_cast<const CREATESTRUCTA*>(lParam)->lpCreateParams);
    }
    seen().push_back(Seen{by, message, wParam, lParam});
}

LRESULT CALLBACK recordingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    record('r', message, wParam, lParam);
    const auto answer = answers().find(message);
    if (answer != answers().end()) {
        return answer->second;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// The procedure a replaced one was; set by the test that replaces it.
WNDPROC previousProc = nullptr;

// Records, answers WM_USER + 3 itself and hands everything else to the previous procedure.
LRESULT CALLBACK replacementProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    record('s', message, wParam, lParam);
    if (message == WM_USER + 3) {
        return 33;
    }
    return CallWindowProcA(previousProc, window, message, wParam, lParam);
}

// Class names are unique per test, per registration: classes cannot be
// unregistered on every implementation, and all tests may share one process.
std::string uniqueClassName(const char* what) {
    static int counter = 0;
    const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
    return std::string("Quorvane.Semantics.") + info->name() + "." + what + "." + std::to_string(++counter);
}

class WindowSemantics : public ::testing::Test {
protected:
    void SetUp() override {
        seen().clear();
        answers().clear();
        previousProc = nullptr;
    }

    void TearDown() override {
        answers().clear();
        for (HWND window : created) {
            if (IsWindow(window)) {
                DestroyWindow(window);
            }
        }
        seen().clear();
    }

    // Registers a class of the recording procedure; the atom, 0 on failure.
    static ATOM registerClass(const std::string& name, int extraBytes = 0, WNDPROC procedure = recordingProc) {
        WNDCLASSEXA windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = procedure;
        windowClass.cbWndExtra = extraBytes;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = name.c_str();
        return RegisterClassExA(&windowClass);
    }

    // A new class of the recording procedure; fails the test when refused.
    std::string newClass(int extraBytes = 0) {
        const std::string name = uniqueClassName("class");
        EXPECT_NE(0u, registerClass(name, extraBytes)) << name << ": error " << GetLastError();
        return name;
    }

    // A hidden top-level window, remembered so that TearDown destroys it if the test did not.
    HWND makeWindow(const std::string& className, void* param = nullptr) {
        const HWND window = CreateWindowExA(0, className.c_str(), "", 0, 0, 0, 10, 10, nullptr, nullptr,
                                            GetModuleHandleA(nullptr), param);
        if (window != nullptr) {
            created.push_back(window);
        }
        return window;
    }

    // Compares what was seen with `expected`, then forgets it.
    static void expectSeen(const std::vector<Seen>& expected, const std::string& what) {
        EXPECT_EQ(describe(expected), describe(seen())) << what;
        seen().clear();
    }

    std::vector<HWND> created;
};

TEST_F(WindowSemantics, ClassNamesAreTakenOnceWithoutRegardToCase) {
    const std::string name = uniqueClassName("Mixed");
    ASSERT_NE(0u, registerClass(name));
    std::string upper = name;
    std::string lower = name;
    std::transform(upper.begin(), upper.end(), upper.begin(), [](char c) {
        return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    });
    std::transform(lower.begin(), lower.end(), lower.begin(), [](char c) {
        return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
    });
    const std::string spellings[] = {name, upper, lower};
    for (std::size_t i = 0; i < sizeof spellings / sizeof spellings[0]; ++i) {
        SetLastError(0xdeadbeef);
        EXPECT_EQ(0u, registerClass(spellings[i])) << "spelling " << i;
        EXPECT_EQ(static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS), GetLastError()) << "spelling " << i;
        // Windows are made of the class under any spelling of its name.
        const HWND window = makeWindow(spellings[i]);
        EXPECT_NE(nullptr, window) << "spelling " << i;
        DestroyWindow(window);
    }
}

TEST_F(WindowSemantics, CreationSendsNcCreateThenCreateWithTheParameter) {
    const std::string name = newClass();
    int parameter = 0;
    const LPARAM carried = reinterpret_cast<LPARAM>(&parameter);
    const HWND window = makeWindow(name, &parameter);
    ASSERT_NE(nullptr, window);
    EXPECT_TRUE(IsWindow(window));
    expectSeen({{'r', WM_NCCREATE, 0, carried}, {'r', WM_CREATE, 0, carried}}, "creation");
    EXPECT_TRUE(DestroyWindow(window));
    expectSeen({{'r', WM_DESTROY, 0, 0}, {'r', WM_NCDESTROY, 0, 0}}, "destruction");
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(WindowSemantics, RefusedCreationGivesNoWindow) {
    struct Case {
        UINT message;
        LRESULT answer;
        // What the window sees, creation included, when creation is refused.
        std::vector<UINT> expected;
        // A message that may come or not, in its place among the others.
        UINT optional;
    };
    const Case cases[] = {
        // Refused before WM_CREATE: no WM_CREATE and no WM_DESTROY. Whether
        // WM_NCDESTROY follows is left open; the program never refuses creation.
        {WM_NCCREATE, FALSE, {WM_NCCREATE}, WM_NCDESTROY},
        // Refused by WM_CREATE: the window is destroyed. Wine sends WM_NCDESTROY
        // alone; our layer destroys the window as DestroyWindow does, WM_DESTROY
        // first. The documentation of WM_CREATE says only that the window is
        // destroyed and CreateWindowEx gives NULL, which both do, so WM_DESTROY
        // is left open here. Nothing in the program refuses creation, and the
        // notifier binds itself only after CreateWindowExA has returned.
        {WM_CREATE, -1, {WM_NCCREATE, WM_CREATE, WM_NCDESTROY}, WM_DESTROY},
    };
    for (std::size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const Case& c = cases[i];
        const std::string name = newClass();
        answers().clear();
        answers()[c.message] = c.answer;
        seen().clear();
        EXPECT_EQ(nullptr, makeWindow(name)) << "case " << i;
        std::vector<UINT> messages;
        for (const Seen& one : seen()) {
            if (one.message != c.optional) {
                messages.push_back(one.message);
            }
        }
        EXPECT_EQ(c.expected, messages) << "case " << i << ":" << describe(seen());
    }
}

TEST_F(WindowSemantics, UnknownClassGivesNoWindow) {
    const std::string name = uniqueClassName("never-registered");
    EXPECT_EQ(nullptr, makeWindow(name));
    EXPECT_TRUE(seen().empty()) << describe(seen());
}

TEST_F(WindowSemantics, UserDataSlot) {
    const HWND window = makeWindow(newClass());
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(0, GetWindowLongPtrA(window, GWLP_USERDATA));
    // Each setting gives back the value it replaced.
    const LONG_PTR values[] = {0x1234, -1, 0, static_cast<LONG_PTR>(reinterpret_cast<UINT_PTR>(&values))};
    LONG_PTR previous = 0;
    for (std::size_t i = 0; i < sizeof values / sizeof values[0]; ++i) {
        EXPECT_EQ(previous, SetWindowLongPtrA(window, GWLP_USERDATA, values[i])) << "value " << i;
        EXPECT_EQ(values[i], GetWindowLongPtrA(window, GWLP_USERDATA)) << "value " << i;
        previous = values[i];
    }
    DestroyWindow(window);
}

TEST_F(WindowSemantics, ExtraWindowBytes) {
    const int slots = 2;
    const HWND window = makeWindow(newClass(slots * static_cast<int>(sizeof(LONG_PTR))));
    ASSERT_NE(nullptr, window);
    for (int slot = 0; slot < slots; ++slot) {
        const int index = slot * static_cast<int>(sizeof(LONG_PTR));
        EXPECT_EQ(0, GetWindowLongPtrA(window, index)) << "slot " << slot << " starts at 0";
        EXPECT_EQ(0, SetWindowLongPtrA(window, index, 100 + slot)) << "slot " << slot;
    }
    for (int slot = 0; slot < slots; ++slot) {
        const int index = slot * static_cast<int>(sizeof(LONG_PTR));
        EXPECT_EQ(100 + slot, SetWindowLongPtrA(window, index, 200 + slot)) << "slot " << slot;
        EXPECT_EQ(200 + slot, GetWindowLongPtrA(window, index)) << "slot " << slot;
    }
    // Past the class's bytes: nothing read or written.
    const int beyond = slots * static_cast<int>(sizeof(LONG_PTR));
    SetLastError(0xdeadbeef);
    EXPECT_EQ(0, GetWindowLongPtrA(window, beyond));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_INDEX), GetLastError());
    SetLastError(0xdeadbeef);
    EXPECT_EQ(0, SetWindowLongPtrA(window, beyond, 5));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_INDEX), GetLastError());
    DestroyWindow(window);
}

TEST_F(WindowSemantics, DialogProcedureIndexOnAPlainWindowReadsZero) {
    // A class with no extra bytes: the dialog procedure's index lies outside them.
    const HWND window = makeWindow(newClass(0));
    ASSERT_NE(nullptr, window);
    SetLastError(0xdeadbeef);
    EXPECT_EQ(0, GetWindowLongPtrA(window, DWLP_DLGPROC));
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_INDEX), GetLastError());
    DestroyWindow(window);
}

TEST_F(WindowSemantics, ReplacedProcedureGetsTheMessagesAndCanPassThemOn) {
    const HWND window = makeWindow(newClass());
    ASSERT_NE(nullptr, window);
    seen().clear();
    answers()[WM_USER + 1] = 11;
    previousProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(replacementProc)));
    ASSERT_NE(nullptr, previousProc);
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(replacementProc), GetWindowLongPtrA(window, GWLP_WNDPROC));

    // Answered by the replacement alone, then passed on to the class procedure.
    EXPECT_EQ(33, SendMessageA(window, WM_USER + 3, 1, 2));
    EXPECT_EQ(11, SendMessageA(window, WM_USER + 1, 3, 4));
    expectSeen({{'s', WM_USER + 3, 1, 2}, {'s', WM_USER + 1, 3, 4}, {'r', WM_USER + 1, 3, 4}}, "sent");

    // What GetWindowLongPtrA gave back calls the class procedure directly.
    EXPECT_EQ(11, CallWindowProcA(previousProc, window, WM_USER + 1, 5, 6));
    expectSeen({{'r', WM_USER + 1, 5, 6}}, "called");

    EXPECT_TRUE(DestroyWindow(window));
    expectSeen({{'s', WM_DESTROY, 0, 0}, {'r', WM_DESTROY, 0, 0}, {'s', WM_NCDESTROY, 0, 0},
                {'r', WM_NCDESTROY, 0, 0}},
               "destruction");
}

TEST_F(WindowSemantics, DefaultProcessing) {
    const HWND window = makeWindow(newClass());
    ASSERT_NE(nullptr, window);
    seen().clear();
    EXPECT_EQ(TRUE, DefWindowProcA(window, WM_QUERYENDSESSION, 0, 0));
    EXPECT_EQ(TRUE, SendMessageA(window, WM_QUERYENDSESSION, 0, 0));
    expectSeen({{'r', WM_QUERYENDSESSION, 0, 0}}, "query");

    // WM_CLOSE left to default processing destroys the window.
    EXPECT_EQ(0, SendMessageA(window, WM_CLOSE, 0, 0));
    expectSeen({{'r', WM_CLOSE, 0, 0}, {'r', WM_DESTROY, 0, 0}, {'r', WM_NCDESTROY, 0, 0}}, "close");
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(WindowSemantics, DestroyedHandleFailsHarmlessly) {
    const HWND window = makeWindow(newClass(static_cast<int>(sizeof(LONG_PTR))));
    ASSERT_NE(nullptr, window);
    ASSERT_TRUE(DestroyWindow(window));
    seen().clear();

    struct Case {
        const char* call;
        LONG_PTR result;
        LONG_PTR expected;
    };
    SetLastError(0xdeadbeef);
    const Case cases[] = {
        {"IsWindow", IsWindow(window), FALSE},
        {"DestroyWindow", DestroyWindow(window), FALSE},
        {"GetWindowLongPtrA(GWLP_USERDATA)", GetWindowLongPtrA(window, GWLP_USERDATA), 0},
        {"SetWindowLongPtrA(GWLP_USERDATA)", SetWindowLongPtrA(window, GWLP_USERDATA, 7), 0},
        {"GetWindowLongPtrA(0)", GetWindowLongPtrA(window, 0), 0},
        {"GetWindowLongPtrA(GWLP_WNDPROC)", GetWindowLongPtrA(window, GWLP_WNDPROC), 0},
        {"SendMessageA", SendMessageA(window, WM_USER, 0, 0), 0},
        {"PostMessageA", PostMessageA(window, WM_USER, 0, 0), FALSE},
    };
    for (std::size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        EXPECT_EQ(cases[i].expected, cases[i].result) << "case " << i << ": " << cases[i].call;
    }
    EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE), GetLastError());
    EXPECT_TRUE(seen().empty()) << describe(seen());
}

TEST_F(WindowSemantics, DestroyWindowSendsDestroyBeforeNcDestroy) {
    const HWND window = makeWindow(newClass());
    ASSERT_NE(nullptr, window);
    seen().clear();
    EXPECT_TRUE(DestroyWindow(window));
    expectSeen({{'r', WM_DESTROY, 0, 0}, {'r', WM_NCDESTROY, 0, 0}}, "destruction");
    EXPECT_FALSE(IsWindow(window));
}

TEST_F(WindowSemantics, SentMessagesAreHandledBeforeTheCallReturns) {
    const HWND window = makeWindow(newClass());
    ASSERT_NE(nullptr, window);
    seen().clear();
    answers()[WM_USER] = 1234;
    EXPECT_EQ(1234, SendMessageA(window, WM_USER, 5, 6));
    expectSeen({{'r', WM_USER, 5, 6}}, "sent");
    DestroyWindow(window);
}

TEST_F(WindowSemantics, PostedMessagesArriveInOrderThenTheQuit) {
    const HWND window = makeWindow(newClass());
    ASSERT_NE(nullptr, window);
    seen().clear();
    answers()[WM_USER + 1] = 1;
    ASSERT_TRUE(PostMessageA(window, WM_USER + 1, 1, 10));
    ASSERT_TRUE(PostMessageA(window, WM_USER + 2, 2, 20));
    ASSERT_TRUE(PostMessageA(window, WM_USER + 1, 3, 30));
    // Nothing is handled until the loop takes it.
    EXPECT_TRUE(seen().empty()) << describe(seen());
    // Posted last, so that the loop below never waits.
    PostQuitMessage(7);

    std::vector<Seen> taken;
    MSG msg = {};
    BOOL result;
    int rounds = 0;
    while ((result = GetMessageA(&msg, nullptr, 0, 0)) > 0 && ++rounds < 1000) {
        if (msg.hwnd == window && ofInterest(msg.message)) {
            taken.push_back(Seen{'q', msg.message, msg.wParam, msg.lParam});
        }
        DispatchMessageA(&msg);
    }
    EXPECT_EQ(0, result);
    EXPECT_EQ(static_cast<UINT>(WM_QUIT), msg.message);
    EXPECT_EQ(7u, msg.wParam);
    const std::vector<Seen> posted = {
        {'q', WM_USER + 1, 1, 10}, {'q', WM_USER + 2, 2, 20}, {'q', WM_USER + 1, 3, 30}};
    EXPECT_EQ(describe(posted), describe(taken)) << "taken from the queue";
    expectSeen({{'r', WM_USER + 1, 1, 10}, {'r', WM_USER + 2, 2, 20}, {'r', WM_USER + 1, 3, 30}}, "dispatched");
    DestroyWindow(window);
}

} // namespace
