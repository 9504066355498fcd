// The Linux layer's window classes, windows, window longs, queue and session end.
#include "framework/app.h"
#include "message_log.h"

#include <csignal>
#include <cstdio>
#include <pthread.h>

using namespace window_testing;

namespace {

const char kClass[] = "Quorvane.Test.Window";

class LayerTest : public WindowLayerTest {};

TEST_F(LayerTest, ClassRegistry) {
    struct Case {
        const char* name;
        UINT cbSize;
        WNDPROC procedure;
        bool registered;
        DWORD error;
    };
    const Case cases[] = {
        {kClass, sizeof(WNDCLASSEXA), recordingProc, true, 0},
        // Names are compared without regard to case.
        {kClass, sizeof(WNDCLASSEXA), recordingProc, false, ERROR_CLASS_ALREADY_EXISTS},
        {"QUORVANE.TEST.WINDOW", sizeof(WNDCLASSEXA), recordingProc, false, ERROR_CLASS_ALREADY_EXISTS},
        {"quorvane.test.window", sizeof(WNDCLASSEXA), recordingProc, false, ERROR_CLASS_ALREADY_EXISTS},
        {"Quorvane.Test.Window2", sizeof(WNDCLASSEXA), recordingProc, true, 0},
        {nullptr, sizeof(WNDCLASSEXA), recordingProc, false, ERROR_INVALID_PARAMETER},
        {"", sizeof(WNDCLASSEXA), recordingProc, false, ERROR_INVALID_PARAMETER},
        {"Quorvane.Test.Other", sizeof(WNDCLASSEXA) - 4, recordingProc, false, ERROR_INVALID_PARAMETER},
        {"Quorvane.Test.Other", sizeof(WNDCLASSEXA), nullptr, false, ERROR_INVALID_PARAMETER},
    };
    for (std::size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        WNDCLASSEXA windowClass = {};
        windowClass.cbSize = cases[i].cbSize;
        windowClass.lpfnWndProc = cases[i].procedure;
        windowClass.lpszClassName = cases[i].name;
        SetLastError(0xdeadbeef);
        const ATOM atom = RegisterClassExA(&windowClass);
        EXPECT_EQ(cases[i].registered, atom != 0) << "case " << i;
        if (!cases[i].registered) {
            EXPECT_EQ(cases[i].error, GetLastError()) << "case " << i;
        }
    }

    // Creation finds the class by any case of its name and by its atom.
    EXPECT_NE(nullptr, makeWindow("quorvane.TEST.window"));
    const ATOM atom = register_class("Quorvane.Test.ByAtom", recordingProc, 0);
    EXPECT_NE(nullptr, makeWindow(reinterpret_cast<LPCSTR>(static_cast<UINT_PTR>(atom))));
    SetLastError(0xdeadbeef);
    EXPECT_EQ(nullptr, makeWindow("Quorvane.Test.Unknown"));
    EXPECT_EQ(ERROR_CANNOT_FIND_WND_CLASS, GetLastError());

    // A reset unregisters everything.
    platform_seams::resetWindows();
    SetLastError(0xdeadbeef);
    EXPECT_EQ(nullptr, makeWindow(kClass));
    EXPECT_EQ(ERROR_CANNOT_FIND_WND_CLASS, GetLastError());
    register_class(kClass, recordingProc, 0);
}

TEST_F(LayerTest, CreationSendsNcCreateThenCreate) {
    register_class(kClass, recordingProc, 0);
    int parameter = 0;
    const HWND window = makeWindow(kClass, nullptr, &parameter);
    ASSERT_NE(nullptr, window);
    EXPECT_TRUE(IsWindow(window));
    const LPARAM param = reinterpret_cast<LPARAM>(&parameter);
    ok_sequence((std::vector<Seen>{{window, WM_NCCREATE, 0, param}, {window, WM_CREATE, 0, param}}), "creation");

    // The user-data slot and the procedure start as the class gives them.
    EXPECT_EQ(0, GetWindowLongPtrA(window, GWLP_USERDATA));
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(&recordingProc), GetWindowLongPtrA(window, GWLP_WNDPROC));

    // A child is created under a live parent only.
    EXPECT_NE(nullptr, makeWindow(kClass, window));
    seen().clear();
    SetLastError(0xdeadbeef);
    EXPECT_EQ(nullptr, makeWindow(kClass, reinterpret_cast<HWND>(static_cast<UINT_PTR>(0x12345))));
    EXPECT_EQ(ERROR_INVALID_WINDOW_HANDLE, GetLastError());
    ok_sequence({}, "creation under a dead parent");
}

// A procedure that destroys its own window on WM_CREATE.
LRESULT CALLBACK selfDestroyingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = recordingProc(window, message, wParam, lParam);
    if (message == WM_CREATE) {
        DestroyWindow(window);
    }
    return result;
}

TEST_F(LayerTest, RefusedCreation) {
    struct Case {
        WNDPROC procedure;
        UINT refusedMessage;
        LRESULT answer;
        bool scriptedFailure;
        std::vector<UINT> messages;
    };
    const Case cases[] = {
        {recordingProc, WM_NCCREATE, FALSE, false, {WM_NCCREATE, WM_NCDESTROY}},
        {recordingProc, WM_CREATE, -1, false, {WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}},
        {selfDestroyingProc, WM_NULL, 0, false, {WM_NCCREATE, WM_CREATE, WM_DESTROY, WM_NCDESTROY}},
        {recordingProc, WM_NULL, 0, true, {}},
    };
    for (std::size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        platform_seams::resetWindows();
        seen().clear();
        answers().clear();
        register_class(kClass, cases[i].procedure, 0);
        if (cases[i].refusedMessage != WM_NULL) {
            answers()[cases[i].refusedMessage] = cases[i].answer;
        }
        if (cases[i].scriptedFailure) {
            platform_seams::failNextCall("CreateWindowExA", ERROR_NOT_ENOUGH_MEMORY);
        }
        SetLastError(0xdeadbeef);
        EXPECT_EQ(nullptr, makeWindow(kClass)) << "case " << i;
        if (cases[i].scriptedFailure) {
            EXPECT_EQ(ERROR_NOT_ENOUGH_MEMORY, GetLastError()) << "case " << i;
        }
        std::vector<UINT> messages;
        for (const Seen& one : seen()) {
            messages.push_back(one.message);
            EXPECT_FALSE(IsWindow(one.window)) << "case " << i << ": the refused window lives on";
        }
        EXPECT_EQ(cases[i].messages, messages) << "case " << i;
    }
    // A scripted failure fails one call only.
    answers().clear();
    EXPECT_NE(nullptr, makeWindow(kClass));
}

TEST_F(LayerTest, DeadAndNullHandles) {
    register_class(kClass, recordingProc, sizeof(LONG_PTR));
    const HWND window = makeWindow(kClass);
    ASSERT_NE(nullptr, window);
    PostMessageA(window, WM_USER, 0, 0);
    seen().clear();
    EXPECT_TRUE(DestroyWindow(window));
    ok_sequence((std::vector<Seen>{{window, WM_DESTROY, 0, 0}, {window, WM_NCDESTROY, 0, 0}}), "DestroyWindow");

    // The handle value is not handed out again.
    const HWND next = makeWindow(kClass);
    EXPECT_NE(window, next);
    seen().clear();

    const HWND desktop = GetDesktopWindow();
    EXPECT_NE(nullptr, desktop);
    const HWND handles[] = {window, nullptr, desktop};
    for (std::size_t i = 0; i < sizeof handles / sizeof handles[0]; ++i) {
        const HWND handle = handles[i];
        EXPECT_FALSE(IsWindow(handle)) << "handle " << i;
        struct Call {
            const char* name;
            LONG_PTR (*call)(HWND);
        };
        const Call calls[] = {
            {"DestroyWindow", [](HWND h) -> LONG_PTR { return DestroyWindow(h); }},
            {"SendMessageA", [](HWND h) -> LONG_PTR { return SendMessageA(h, WM_QUERYENDSESSION, 0, 0); }},
            {"PostMessageA", [](HWND h) -> LONG_PTR { return PostMessageA(h, WM_USER, 0, 0); }},
            {"GetWindowLongPtrA", [](HWND h) -> LONG_PTR { return GetWindowLongPtrA(h, GWLP_USERDATA); }},
            {"SetWindowLongPtrA", [](HWND h) -> LONG_PTR { return SetWindowLongPtrA(h, GWLP_USERDATA, 5); }},
            {"GetWindowLongA", [](HWND h) -> LONG_PTR { return GetWindowLongA(h, 0); }},
            {"SetWindowLongA", [](HWND h) -> LONG_PTR { return SetWindowLongA(h, GWL_USERDATA, 5); }},
        };
        for (const Call& call : calls) {
            SetLastError(0xdeadbeef);
            EXPECT_EQ(0, call.call(handle)) << call.name << " on handle " << i;
            EXPECT_EQ(ERROR_INVALID_WINDOW_HANDLE, GetLastError()) << call.name << " on handle " << i;
        }
    }
    ok_sequence({}, "calls on dead handles");

    // Neither the message posted before the destruction nor any since is delivered.
    PostQuitMessage(0);
    MSG msg;
    EXPECT_EQ(FALSE, GetMessageA(&msg, nullptr, 0, 0));
    EXPECT_EQ(static_cast<UINT>(WM_QUIT), msg.message);
}

TEST_F(LayerTest, WindowLongs) {
    const int extra = 2 * static_cast<int>(sizeof(LONG_PTR));
    register_class(kClass, recordingProc, extra);
    register_class("Quorvane.Test.NoExtra", recordingProc, 0);
    const HWND window = makeWindow(kClass);
    const HWND plain = makeWindow("Quorvane.Test.NoExtra");
    ASSERT_NE(nullptr, window);
    ASSERT_NE(nullptr, plain);

    // Steps run in order on one window; each Set gives back the value before it.
    enum Kind { GetPtr, SetPtr, Get32, Set32 };
    struct Step {
        Kind kind;
        int index;
        LONG_PTR value;
        LONG_PTR result;
        DWORD error; // 0: success, the error left untouched
    };
    const int kPtr = static_cast<int>(sizeof(LONG_PTR));
    const Step steps[] = {
        {GetPtr, GWLP_USERDATA, 0, 0, 0},
        {SetPtr, GWLP_USERDATA, 0x1234567890, 0, 0},
        {SetPtr, GWLP_USERDATA, 77, 0x1234567890, 0},
        {GetPtr, GWLP_USERDATA, 0, 77, 0},
        {Get32, GWL_USERDATA, 0, 77, 0},
        {Set32, GWL_USERDATA, -5, 77, 0},
        {GetPtr, GWLP_USERDATA, 0, -5, 0},
        {GetPtr, 0, 0, 0, 0},
        {SetPtr, 0, 11, 0, 0},
        {SetPtr, kPtr, 22, 0, 0},
        {SetPtr, 0, 33, 11, 0},
        {GetPtr, kPtr, 0, 22, 0},
        {Set32, kPtr + 4, 44, 0, 0},
        {Get32, kPtr + 4, 0, 44, 0},
        // Reads and writes that would reach past the extra bytes.
        {GetPtr, extra, 0, 0, ERROR_INVALID_INDEX},
        {SetPtr, extra, 1, 0, ERROR_INVALID_INDEX},
        {GetPtr, kPtr + 4, 0, 0, ERROR_INVALID_INDEX},
        {Get32, extra - 2, 0, 0, ERROR_INVALID_INDEX},
        {Set32, extra, 1, 0, ERROR_INVALID_INDEX},
        {GetPtr, -16, 0, 0, ERROR_INVALID_INDEX},
        {SetPtr, -16, 1, 0, ERROR_INVALID_INDEX},
        // A procedure address does not fit in 32 bits.
        {Get32, GWL_WNDPROC, 0, 0, ERROR_INVALID_INDEX},
        {Set32, GWL_WNDPROC, 1, 0, ERROR_INVALID_INDEX},
        {GetPtr, 0, 0, 33, 0},
    };
    for (std::size_t i = 0; i < sizeof steps / sizeof steps[0]; ++i) {
        const Step& step = steps[i];
        SetLastError(0xdeadbeef);
        LONG_PTR result = 0;
        switch (step.kind) {
        case GetPtr:
            result = GetWindowLongPtrA(window, step.index);
            break;
        case SetPtr:
            result = SetWindowLongPtrA(window, step.index, step.value);
            break;
        case Get32:
            result = GetWindowLongA(window, step.index);
            break;
        case Set32:
            result = SetWindowLongA(window, step.index, static_cast<LONG>(step.value));
            break;
        }
        EXPECT_EQ(step.result, result) << "step " << i;
        EXPECT_EQ(step.error != 0 ? step.error : 0xdeadbeef, GetLastError()) << "step " << i;
    }

    // A window without extra bytes reads as no dialog.
    SetLastError(0xdeadbeef);
    EXPECT_EQ(0, GetWindowLongPtrA(plain, DWLP_DLGPROC));
    EXPECT_EQ(ERROR_INVALID_INDEX, GetLastError());
    // Each window has its own slots.
    EXPECT_EQ(0, GetWindowLongPtrA(plain, GWLP_USERDATA));
}

// Answers every message with 42.
LRESULT CALLBACK answer42(HWND, UINT, WPARAM, LPARAM) {
    return 42;
}

TEST_F(LayerTest, ReplacedProcedure) {
    register_class(kClass, recordingProc, 0);
    const HWND window = makeWindow(kClass);
    seen().clear();
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(&recordingProc),
              SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&answer42)));
    EXPECT_EQ(42, SendMessageA(window, WM_USER, 0, 0));
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(&answer42), GetWindowLongPtrA(window, GWLP_WNDPROC));
    ok_sequence({}, "after replacing the procedure");

    EXPECT_EQ(1, CallWindowProcA(recordingProc, window, WM_NCCREATE, 0, 0));
    EXPECT_EQ(0, CallWindowProcA(nullptr, window, WM_USER, 0, 0));
    ok_sequence((std::vector<Seen>{{window, WM_NCCREATE, 0, 0}}), "CallWindowProcA");
}

TEST_F(LayerTest, DefaultProcessing) {
    register_class(kClass, recordingProc, 0);
    const HWND window = makeWindow(kClass);
    struct Case {
        UINT message;
        LRESULT result;
    };
    const Case cases[] = {
        {WM_NCCREATE, TRUE}, {WM_CREATE, 0}, {WM_QUERYENDSESSION, TRUE}, {WM_ENDSESSION, 0},
        {WM_DESTROY, 0},     {WM_USER, 0},   {WM_INITDIALOG, 0},
    };
    for (std::size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        EXPECT_EQ(cases[i].result, DefWindowProcA(window, cases[i].message, 0, 0)) << "case " << i;
        EXPECT_TRUE(IsWindow(window)) << "case " << i;
    }
    seen().clear();

    // WM_CLOSE destroys the window.
    EXPECT_EQ(0, SendMessageA(window, WM_CLOSE, 0, 0));
    ok_sequence((std::vector<Seen>{{window, WM_CLOSE, 0, 0}, {window, WM_DESTROY, 0, 0}, {window, WM_NCDESTROY, 0, 0}}),
                "WM_CLOSE");
    EXPECT_FALSE(IsWindow(window));
}

// Destroys its window again from WM_DESTROY.
LRESULT CALLBACK destroyAgainProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = recordingProc(window, message, wParam, lParam);
    if (message == WM_DESTROY) {
        EXPECT_TRUE(DestroyWindow(window));
    }
    return result;
}

TEST_F(LayerTest, DestructionOrder) {
    register_class(kClass, recordingProc, 0);
    register_class("Quorvane.Test.DestroyAgain", destroyAgainProc, 0);

    // Destroying again from WM_DESTROY does not start a second destruction.
    const HWND again = makeWindow("Quorvane.Test.DestroyAgain");
    seen().clear();
    EXPECT_TRUE(DestroyWindow(again));
    ok_sequence((std::vector<Seen>{{again, WM_DESTROY, 0, 0}, {again, WM_NCDESTROY, 0, 0}}), "destroy again");

    // A parent takes its children with it, after its own WM_DESTROY and before its WM_NCDESTROY.
    const HWND parent = makeWindow(kClass);
    const HWND child = makeWindow(kClass, parent);
    seen().clear();
    EXPECT_TRUE(DestroyWindow(parent));
    ok_sequence((std::vector<Seen>{{parent, WM_DESTROY, 0, 0},
                                   {child, WM_DESTROY, 0, 0},
                                   {child, WM_NCDESTROY, 0, 0},
                                   {parent, WM_NCDESTROY, 0, 0}}),
                "parent and child");
    EXPECT_FALSE(IsWindow(child));
}

TEST_F(LayerTest, QueueAndQuit) {
    register_class(kClass, recordingProc, 0);
    const HWND window = makeWindow(kClass);
    seen().clear();

    // The quit message waits until the posted messages are taken, whenever it was posted.
    PostMessageA(window, WM_USER, 1, 2);
    PostQuitMessage(5);
    PostMessageA(window, WM_USER + 1, 3, 4);
    struct Expected {
        BOOL result;
        HWND window;
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    };
    const Expected expected[] = {
        {TRUE, window, WM_USER, 1, 2},
        {TRUE, window, WM_USER + 1, 3, 4},
        {FALSE, nullptr, WM_QUIT, 5, 0},
    };
    for (std::size_t i = 0; i < sizeof expected / sizeof expected[0]; ++i) {
        MSG msg = {};
        EXPECT_EQ(expected[i].result, GetMessageA(&msg, nullptr, 0, 0)) << "message " << i;
        EXPECT_EQ(expected[i].window, msg.hwnd) << "message " << i;
        EXPECT_EQ(expected[i].message, msg.message) << "message " << i;
        EXPECT_EQ(expected[i].wParam, msg.wParam) << "message " << i;
        EXPECT_EQ(expected[i].lParam, msg.lParam) << "message " << i;
    }
    ok_sequence({}, "GetMessageA dispatches nothing itself");

    // DispatchMessageA hands the message to the window's procedure and gives its answer.
    MSG query = {};
    query.hwnd = window;
    query.message = WM_QUERYENDSESSION;
    EXPECT_EQ(TRUE, DispatchMessageA(&query));
    ok_sequence((std::vector<Seen>{{window, WM_QUERYENDSESSION, 0, 0}}), "DispatchMessageA");
}

TEST_F(LayerTest, AppRunGivesTheQuitCode) {
    register_class(kClass, recordingProc, 0);
    const HWND window = makeWindow(kClass);
    const int codes[] = {0, 7, -1};
    for (std::size_t i = 0; i < sizeof codes / sizeof codes[0]; ++i) {
        seen().clear();
        PostMessageA(window, WM_USER, i, 0);
        PostQuitMessage(codes[i]);
        pelkolib::App app;
        EXPECT_EQ(codes[i], app.run()) << "case " << i;
        ok_sequence((std::vector<Seen>{{window, WM_USER, i, 0}}), "the loop dispatches the posted message");
    }
}

// The second window's answer to WM_QUERYENDSESSION.
LRESULT secondAnswer = TRUE;

// Logs like recordingProc, but answers WM_QUERYENDSESSION with `secondAnswer`.
LRESULT CALLBACK secondProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const LRESULT result = recordingProc(window, message, wParam, lParam);
    return message == WM_QUERYENDSESSION ? secondAnswer : result;
}

TEST_F(LayerTest, SessionEndThroughTheSeam) {
    struct Case {
        LRESULT secondAnswer;
        bool agreed;
    };
    const Case cases[] = {{TRUE, true}, {FALSE, false}};
    for (std::size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        platform_seams::resetWindows();
        register_class(kClass, recordingProc, 0);
        register_class("Quorvane.Test.Second", secondProc, 0);
        const HWND first = makeWindow(kClass);
        const HWND child = makeWindow(kClass, first);
        const HWND second = makeWindow("Quorvane.Test.Second");
        ASSERT_NE(nullptr, child);
        ASSERT_NE(nullptr, second);
        secondAnswer = cases[i].secondAnswer;
        seen().clear();

        EXPECT_EQ(cases[i].agreed, platform_seams::endSessionNow()) << "case " << i;
        // Every top-level window is asked before any is told; children are not asked.
        const WPARAM outcome = cases[i].agreed ? TRUE : FALSE;
        ok_sequence((std::vector<Seen>{{first, WM_QUERYENDSESSION, 0, 0},
                                       {second, WM_QUERYENDSESSION, 0, 0},
                                       {first, WM_ENDSESSION, outcome, 0},
                                       {second, WM_ENDSESSION, outcome, 0}}),
                    "session end");
        // The session end destroys nothing: the process ends instead.
        EXPECT_TRUE(IsWindow(first)) << "case " << i;
        EXPECT_TRUE(IsWindow(second)) << "case " << i;
    }
}

// Writes each message it sees to stderr; on WM_QUERYENDSESSION it raises SIGTERM again.
LRESULT CALLBACK tracingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    std::fprintf(stderr, "[%04x:%lu]", message, static_cast<unsigned long>(wParam));
    if (message == WM_QUERYENDSESSION) {
        // Blocked while the handler runs: it stays pending and cannot cut the handler short.
        raise(SIGTERM);
        std::fprintf(stderr, "[saved]");
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// Runs the program's loop the way the process does, with a session-end signal already pending.
void runLoopWithPendingSignal(int signal) {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);
    register_class("Quorvane.Test.Tracing", tracingProc, 0);
    const HWND window = makeWindow("Quorvane.Test.Tracing");
    PostMessageA(window, WM_USER, 9, 0);
    raise(signal);
    pelkolib::App app;
    app.run();
    std::fprintf(stderr, "[loop returned]");
    std::exit(3);
}

TEST_F(LayerTest, SignalEndsTheSessionFromTheLoop) {
    // Posted messages first, then the query (its handler ends), the outcome, and exit code 0 with no WM_DESTROY.
    const char* expected = "\\[0081:0\\]\\[0001:0\\]\\[0400:9\\]\\[0011:0\\]\\[saved\\]\\[0016:1\\]$";
    const int signals[] = {SIGTERM, SIGINT, SIGHUP};
    for (std::size_t i = 0; i < sizeof signals / sizeof signals[0]; ++i) {
        EXPECT_EXIT(runLoopWithPendingSignal(signals[i]), ::testing::ExitedWithCode(0), expected) << "signal " << i;
    }
}

TEST_F(LayerTest, MessageBoxWritesToStderr) {
    struct Case {
        const char* caption;
        const char* text;
        const char* written;
    };
    const Case cases[] = {
        {"Quorvane", "one line", "Quorvane: one line\n"},
        {"Quorvane", "first\r\nsecond\r\n", "Quorvane: first\nsecond\n\n"},
        {"Quorvane", "lone\rreturn", "Quorvane: lone\rreturn\n"},
        {nullptr, nullptr, ": \n"},
    };
    for (std::size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        ::testing::internal::CaptureStderr();
        const int result = MessageBoxA(nullptr, cases[i].text, cases[i].caption, MB_ICONINFORMATION);
        EXPECT_EQ(cases[i].written, ::testing::internal::GetCapturedStderr()) << "case " << i;
        EXPECT_EQ(IDOK, result) << "case " << i;
    }
}

TEST_F(LayerTest, StockHandles) {
    EXPECT_NE(nullptr, LoadIconA(nullptr, IDI_APPLICATION));
    EXPECT_NE(nullptr, LoadCursorA(nullptr, IDC_ARROW));
    EXPECT_NE(nullptr, GetDesktopWindow());
    EXPECT_FALSE(IsWindow(GetDesktopWindow()));
}

} // namespace
