// ShutdownNotifier: creation with its one restore, the save on WM_QUERYENDSESSION and WM_DESTROY.
#include "framework/app.h"
#include "platform/linux/seams.h"
#include "sync/shutdown_notifier.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// One shell file operation as the notifier asked for it (first path of each list).
struct ShellCall {
    UINT function;
    std::string from;
    std::string to;
};

// A temporary folder with a module path, a settings file beside it and real directories;
// theApp reports that module path, and shell operations are logged instead of run.
class NotifierTest : public ::testing::Test {
protected:
    void SetUp() override {
        platform_seams::resetWindows();
        char pattern[] = "/tmp/quorvane-notifier-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        folder = pattern;
        for (const char* name : {"ram", "backup", "backup2"}) {
            std::filesystem::create_directory(folder + "/" + name);
        }
        writeSettings("RAMDisk=" + folder + "/ram\nBackupDir=" + folder + "/backup\nBackupDir2=" + folder +
                      "/backup2\n");
        platform_seams::setModuleFileName((folder + "/quorvane.exe").c_str());
        theApp = boost::shared_ptr<pelkolib::App>(new pelkolib::App());
        platform_seams::setShellHook([this](SHFILEOPSTRUCTA* operation) {
            calls.push_back(ShellCall{operation->wFunc, operation->pFrom != nullptr ? operation->pFrom : "",
                                      operation->pTo != nullptr ? operation->pTo : ""});
            return 0;
        });
    }

    void TearDown() override {
        platform_seams::resetWindows();
        platform_seams::setShellHook(platform_seams::ShellHook());
        platform_seams::setModuleFileName(nullptr);
        theApp.reset();
        std::error_code ignored;
        std::filesystem::remove_all(folder, ignored);
    }

    void writeSettings(const std::string& keys) {
        std::ofstream(folder + "/quorvane.ini") << "[Path]\n" << keys;
    }

    // True when the class name is still free (and leaves it registered).
    static bool classIsFree() {
        WNDCLASSEXA windowClass = {};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.lpszClassName = kShutdownNotifierClass;
        SetLastError(0xdeadbeef);
        if (RegisterClassExA(&windowClass) != 0) {
            return true;
        }
        EXPECT_EQ(ERROR_CLASS_ALREADY_EXISTS, GetLastError());
        return false;
    }

    // Restores logged since `mark`: copies of the backup list into the RAM disk.
    int restoresSince(std::size_t mark, const ShutdownNotifier& notifier) const {
        int count = 0;
        for (std::size_t i = mark; i < calls.size(); ++i) {
            if (calls[i].function == FO_COPY && calls[i].from == notifier.backupPath + "*" &&
                calls[i].to == notifier.ramDiskPath) {
                ++count;
            }
        }
        return count;
    }

    // True when a save ran since `mark`: it copies the RAM-disk list somewhere.
    bool savedSince(std::size_t mark, const ShutdownNotifier& notifier) const {
        for (std::size_t i = mark; i < calls.size(); ++i) {
            if (calls[i].function == FO_COPY && calls[i].from == notifier.ramDiskPath + "*") {
                return true;
            }
        }
        return false;
    }

    std::string folder;
    std::vector<ShellCall> calls;
};

TEST_F(NotifierTest, NotReadyCreatesNothing) {
    writeSettings("");
    ShutdownNotifier notifier;
    ASSERT_FALSE(notifier.ready);
    calls.clear();
    notifier.create(NULL);
    EXPECT_EQ(nullptr, notifier.handle);
    EXPECT_TRUE(calls.empty());
    EXPECT_TRUE(classIsFree());
}

TEST_F(NotifierTest, CreateRestoresOnceBeforeReturning) {
    ShutdownNotifier notifier;
    ASSERT_TRUE(notifier.ready);
    calls.clear();
    notifier.create(NULL);
    ASSERT_NE(nullptr, notifier.handle);
    EXPECT_TRUE(IsWindow(notifier.handle));
    EXPECT_EQ(reinterpret_cast<LONG_PTR>(&notifier), GetWindowLongPtrA(notifier.handle, GWLP_USERDATA));
    // The system's own WM_CREATE found no object; only create's own WM_CREATE restored.
    EXPECT_EQ(1, restoresSince(0, notifier));
    EXPECT_FALSE(savedSince(0, notifier));
}

TEST_F(NotifierTest, SecondCreateFailsAtRegistration) {
    ShutdownNotifier first;
    first.create(NULL);
    ASSERT_NE(nullptr, first.handle);
    const HWND window = first.handle;

    ShutdownNotifier other;
    ShutdownNotifier* const cases[] = {&first, &other};
    for (std::size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        const std::size_t mark = calls.size();
        cases[i]->create(NULL);
        EXPECT_EQ(i == 0 ? window : nullptr, cases[i]->handle) << "case " << i;
        EXPECT_EQ(mark, calls.size()) << "case " << i;
        EXPECT_TRUE(IsWindow(window)) << "case " << i;
        EXPECT_EQ(reinterpret_cast<LONG_PTR>(&first), GetWindowLongPtrA(window, GWLP_USERDATA)) << "case " << i;
    }
}

TEST_F(NotifierTest, FailedWindowLeavesClassRegisteredAndRestoresNothing) {
    ShutdownNotifier notifier;
    calls.clear();
    platform_seams::failNextCall("CreateWindowExA", ERROR_NOT_ENOUGH_MEMORY);
    notifier.create(NULL);
    EXPECT_EQ(nullptr, notifier.handle);
    EXPECT_TRUE(calls.empty());
    EXPECT_FALSE(classIsFree());
}

TEST_F(NotifierTest, EachSessionQuerySavesAndAgrees) {
    ShutdownNotifier notifier;
    notifier.create(NULL);
    ASSERT_NE(nullptr, notifier.handle);

    // A session end cancelled by another program, then a second one.
    for (int i = 0; i < 2; ++i) {
        const std::size_t mark = calls.size();
        EXPECT_EQ(TRUE, SendMessageA(notifier.handle, WM_QUERYENDSESSION, 0, 0)) << "query " << i;
        EXPECT_TRUE(savedSince(mark, notifier)) << "query " << i;
        EXPECT_EQ(0, restoresSince(mark, notifier)) << "query " << i;
    }

    // The session end as the Linux layer delivers it: one save, the window left alone.
    const std::size_t mark = calls.size();
    EXPECT_TRUE(platform_seams::endSessionNow());
    EXPECT_TRUE(savedSince(mark, notifier));
    EXPECT_TRUE(IsWindow(notifier.handle));
}

TEST_F(NotifierTest, EndSessionRunsNoSave) {
    ShutdownNotifier notifier;
    notifier.create(NULL);
    const std::size_t mark = calls.size();
    const WPARAM outcomes[] = {TRUE, FALSE};
    for (std::size_t i = 0; i < sizeof outcomes / sizeof outcomes[0]; ++i) {
        EXPECT_EQ(0, SendMessageA(notifier.handle, WM_ENDSESSION, outcomes[i], 0)) << "case " << i;
        EXPECT_EQ(mark, calls.size()) << "case " << i;
        EXPECT_TRUE(IsWindow(notifier.handle)) << "case " << i;
    }
}

TEST_F(NotifierTest, CloseDestroysSavesAndQuitsWithZero) {
    ShutdownNotifier notifier;
    notifier.create(NULL);
    ASSERT_NE(nullptr, notifier.handle);
    const std::size_t mark = calls.size();
    // Should the notifier post no quit of its own, the loop ends with 99 instead of waiting.
    PostQuitMessage(99);
    PostMessageA(notifier.handle, WM_CLOSE, 0, 0);
    EXPECT_EQ(0, theApp->run());
    EXPECT_FALSE(IsWindow(notifier.handle));
    EXPECT_TRUE(savedSince(mark, notifier));
}

} // namespace
