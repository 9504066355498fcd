// pelkolib::Window: binding through the user-data slot, the static procedure and default processing.
#include "framework/window.h"
#include "message_log.h"

using namespace window_testing;

namespace {

const char kWindowClass[] = "Quorvane.Test.Framework";
const char kDialogClass[] = "Quorvane.Test.FrameworkDialog";

// Logs what reaches its windowProc; answers from a table, else with defaultProc.
class LoggingWindow : public pelkolib::Window {
public:
    LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
        received.push_back(Seen{handle, message, wParam, lParam});
        const auto answer = replies.find(message);
        return answer != replies.end() ? answer->second : defaultProc(message, wParam, lParam);
    }

    // What windowProc was given, with the handle bound at the time.
    std::vector<Seen> received;
    // Answers windowProc gives instead of defaultProc's.
    std::map<UINT, LRESULT> replies;
};

// The window's user-data slot.
LONG_PTR slotOf(HWND window) {
    return GetWindowLongPtrA(window, GWLP_USERDATA);
}

// The window's current procedure.
LONG_PTR procedureOf(HWND window) {
    return GetWindowLongPtrA(window, GWLP_WNDPROC);
}

// The object's address as a slot holds it.
LONG_PTR address(const pelkolib::Window& object) {
    return reinterpret_cast<LONG_PTR>(&object);
}

// The framework's procedure as a window long holds it.
LONG_PTR staticProc() {
    return reinterpret_cast<LONG_PTR>(&pelkolib::Window::staticWindowProc);
}

// A framework window class and a dialog class (extra bytes up to the dialog procedure's slot).
class WindowObjectTest : public WindowLayerTest {
protected:
    void SetUp() override {
        WindowLayerTest::SetUp();
        register_class(kWindowClass, pelkolib::Window::staticWindowProc, 0);
        register_class(kDialogClass, pelkolib::Window::staticWindowProc, DWLP_DLGPROC + sizeof(LONG_PTR));
    }

    // A window of the dialog class marked as a dialog, as the dialog manager would.
    static HWND makeDialog() {
        const HWND dialog = makeWindow(kDialogClass);
        SetWindowLongPtrA(dialog, DWLP_DLGPROC, staticProc());
        return dialog;
    }
};

TEST_F(WindowObjectTest, UnboundWindowGetsDefaultProcessing) {
    // WM_NCCREATE must get DefWindowProcA's TRUE, or creation would fail.
    const HWND window = makeWindow(kWindowClass);
    ASSERT_NE(nullptr, window);
    EXPECT_EQ(0, slotOf(window));

    const UINT messages[] = {WM_QUERYENDSESSION, WM_CREATE, WM_USER, WM_NCCREATE};
    for (std::size_t i = 0; i < sizeof messages / sizeof messages[0]; ++i) {
        EXPECT_EQ(DefWindowProcA(window, messages[i], 0, 0), SendMessageA(window, messages[i], 0, 0))
            << "message " << i;
    }
}

TEST_F(WindowObjectTest, AttachedObjectGetsEveryMessage) {
    LoggingWindow object;
    EXPECT_EQ(nullptr, object.handle);
    const HWND window = makeWindow(kWindowClass);
    object.attach(window);
    EXPECT_EQ(window, object.handle);
    EXPECT_EQ(address(object), slotOf(window));
    EXPECT_EQ(staticProc(), procedureOf(window));

    // Creation happened before the object was bound: it saw none of it.
    EXPECT_TRUE(object.received.empty());

    object.replies[WM_USER] = 99;
    EXPECT_EQ(99, SendMessageA(window, WM_USER, 1, 2));
    EXPECT_EQ(TRUE, SendMessageA(window, WM_QUERYENDSESSION, 0, 0));
    PostMessageA(window, WM_USER + 1, 3, 4);
    PostQuitMessage(0);
    MSG msg;
    while (GetMessageA(&msg, nullptr, 0, 0) != FALSE) {
        DispatchMessageA(&msg);
    }
    EXPECT_TRUE(DestroyWindow(window));
    const std::vector<Seen> expected = {
        {window, WM_USER, 1, 2},   {window, WM_QUERYENDSESSION, 0, 0}, {window, WM_USER + 1, 3, 4},
        {window, WM_DESTROY, 0, 0}, {window, WM_NCDESTROY, 0, 0},
    };
    EXPECT_EQ(describe(expected), describe(object.received));
}

TEST_F(WindowObjectTest, InitDialogBindsTheObjectItCarries) {
    const HWND dialog = makeDialog();
    LoggingWindow object;
    object.replies[WM_INITDIALOG] = 5;
    EXPECT_EQ(5, SendMessageA(dialog, WM_INITDIALOG, 3, address(object)));
    EXPECT_EQ(dialog, object.handle);
    EXPECT_EQ(address(object), slotOf(dialog));
    // Bound before windowProc ran, and given the same lParam.
    const std::vector<Seen> expected = {{dialog, WM_INITDIALOG, 3, address(object)}};
    EXPECT_EQ(describe(expected), describe(object.received));

    // Later messages reach the object; a dialog's default answer is 0.
    EXPECT_EQ(0, SendMessageA(dialog, WM_QUERYENDSESSION, 0, 0));
    EXPECT_EQ(2u, object.received.size());
}

TEST_F(WindowObjectTest, InitDialogWithoutObjectBindsNothing) {
    const HWND dialog = makeDialog();
    EXPECT_EQ(DefWindowProcA(dialog, WM_INITDIALOG, 0, 0), SendMessageA(dialog, WM_INITDIALOG, 0, 0));
    EXPECT_EQ(0, slotOf(dialog));
    EXPECT_EQ(TRUE, SendMessageA(dialog, WM_QUERYENDSESSION, 0, 0));
}

// Logs its messages and answers 42, standing in for a window's earlier procedure.
LRESULT CALLBACK previousProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    recordingProc(window, message, wParam, lParam);
    return 42;
}

TEST_F(WindowObjectTest, DefaultProcChoosesItsAnswer) {
    enum Kind { PlainWindow, Dialog, WithPreviousProc };
    struct Case {
        Kind kind;
        UINT message;
        LRESULT result;
        bool previousCalled;
    };
    const Case cases[] = {
        {PlainWindow, WM_QUERYENDSESSION, TRUE, false},
        {PlainWindow, WM_USER, 0, false},
        {Dialog, WM_QUERYENDSESSION, 0, false},
        {WithPreviousProc, WM_QUERYENDSESSION, 42, true},
        {WithPreviousProc, WM_USER, 42, true},
    };
    for (std::size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const HWND window = cases[i].kind == Dialog ? makeDialog() : makeWindow(kWindowClass);
        LoggingWindow object;
        object.attach(window);
        if (cases[i].kind == WithPreviousProc) {
            object.previousProc = previousProcedure;
        }
        seen().clear();
        // Through the window and straight from the object alike.
        EXPECT_EQ(cases[i].result, SendMessageA(window, cases[i].message, 7, 8)) << "case " << i;
        EXPECT_EQ(cases[i].result, object.defaultProc(cases[i].message, 7, 8)) << "case " << i;
        // Window's own windowProc gives exactly what defaultProc gives.
        EXPECT_EQ(cases[i].result, object.pelkolib::Window::windowProc(cases[i].message, 7, 8)) << "case " << i;
        const std::vector<Seen> expected(cases[i].previousCalled ? 3 : 0, Seen{window, cases[i].message, 7, 8});
        EXPECT_EQ(describe(expected), describe(seen())) << "case " << i;
        object.previousProc = nullptr;
    }
}

TEST_F(WindowObjectTest, DetachGivesBackARecordedProcedure) {
    const HWND window = makeWindow(kWindowClass);
    LoggingWindow object;
    object.attach(window);

    // Without a recorded procedure nothing changes.
    object.detach();
    EXPECT_EQ(window, object.handle);
    EXPECT_EQ(staticProc(), procedureOf(window));
    EXPECT_EQ(address(object), slotOf(window));

    object.previousProc = previousProcedure;
    object.detach();
    EXPECT_EQ(nullptr, object.previousProc);
    EXPECT_EQ(window, object.handle);
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(&previousProcedure), procedureOf(window));
    EXPECT_EQ(address(object), slotOf(window));
    // The window now answers through the given-back procedure, not the object.
    EXPECT_EQ(42, SendMessageA(window, WM_USER, 0, 0));
    EXPECT_TRUE(object.received.empty());
}

TEST_F(WindowObjectTest, ReattachMovesTheHandleOnly) {
    const HWND first = makeWindow(kWindowClass);
    const HWND second = makeWindow(kWindowClass);
    LoggingWindow object;
    object.attach(first);
    object.attach(second);
    EXPECT_EQ(second, object.handle);
    EXPECT_EQ(address(object), slotOf(second));
    // The first window is not told: its slot still names the object.
    EXPECT_EQ(address(object), slotOf(first));

    // Attaching no handle leaves the object holding none and touches no window.
    object.attach(nullptr);
    EXPECT_EQ(nullptr, object.handle);
    EXPECT_EQ(address(object), slotOf(second));
}

TEST_F(WindowObjectTest, DestroyedObjectLeavesTheWindowAsItWas) {
    const HWND window = makeWindow(kWindowClass);
    LoggingWindow* object = new LoggingWindow;
    object->attach(window);
    const LONG_PTR slot = address(*object);
    delete object;
    EXPECT_TRUE(IsWindow(window));
    EXPECT_EQ(slot, slotOf(window));
    EXPECT_EQ(staticProc(), procedureOf(window));
}

TEST_F(WindowObjectTest, BaseCreateMakesNothing) {
    pelkolib::Window object;
    seen().clear();
    register_class("Quorvane.Test.Watch", recordingProc, 0);
    const HWND before = makeWindow("Quorvane.Test.Watch");
    object.create(nullptr);
    EXPECT_EQ(nullptr, object.handle);
    EXPECT_EQ(nullptr, object.previousProc);
    // Only the watching window answers the session end: create made no other top-level window.
    seen().clear();
    platform_seams::endSessionNow();
    ok_sequence((std::vector<Seen>{{before, WM_QUERYENDSESSION, 0, 0}, {before, WM_ENDSESSION, TRUE, 0}}),
                "windows after Window::create");
}

} // namespace
