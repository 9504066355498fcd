// The application object: the command line's pieces, the module path and the single-instance guard.
#include "framework/app.h"
#include "platform/linux/seams.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

namespace {

using pelkolib::App;
using Pieces = std::vector<std::string>;

struct AppFixture : ::testing::Test {
    void TearDown() override {
        platform_seams::setModuleFileName(nullptr);
        platform_seams::setCommandLine(nullptr);
    }
};

TEST_F(AppFixture, CutsTheCommandLineAtDoubleQuotesOnly) {
    struct Case {
        const char* commandLine;
        Pieces pieces;
    };
    const Case cases[] = {
        {"\"C:\\Tools\\app.exe\" /s", {"C:\\Tools\\app.exe", " /s"}},
        {"C:\\Tools\\app.exe /s  -x\tz", {"C:\\Tools\\app.exe /s  -x\tz"}},
        {"\"C:\\Tools\\app.exe\" \"a b\"", {"C:\\Tools\\app.exe", " ", "a b"}},
        {"\"app\"\"\" x\"", {"app", " x"}},
        {"app \\\"x", {"app \\", "x"}},
        {"", {}},
        {"\"\"", {}},
    };
    for (std::size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        platform_seams::setCommandLine(cases[i].commandLine);
        App app;
        EXPECT_EQ(cases[i].pieces, app.arguments) << "case " << i;
    }
}

TEST_F(AppFixture, RecordsTheModulePathAndShowCommand) {
    platform_seams::setModuleFileName("C:\\Tools\\app.exe");
    App app;
    EXPECT_EQ("C:\\Tools\\app.exe", app.modulePath());
    EXPECT_EQ(SW_SHOW, app.showCommand);
    EXPECT_EQ(GetModuleHandleA(NULL), app.instance);
    std::string copy = app.modulePath();
    copy[0] = 'D';
    EXPECT_EQ("C:\\Tools\\app.exe", app.modulePath());
}

TEST_F(AppFixture, CutsAModulePathLongerThanTheBuffer) {
    const std::string longPath(600, 'a');
    platform_seams::setModuleFileName(longPath.c_str());
    App app;
    EXPECT_EQ(std::string(519, 'a'), app.moduleFileName);
}

TEST_F(AppFixture, ReadsTheRealExecutablePath) {
    App app;
    char buffer[4096] = {};
    ASSERT_GT(readlink("/proc/self/exe", buffer, sizeof buffer - 1), 0);
    EXPECT_EQ(std::string(buffer), app.modulePath());
}

TEST_F(AppFixture, DerivesTheMutexNameByteForByte) {
    struct Case {
        std::string path;
        std::string name;
    };
    const Case cases[] = {
        {"C:\\Tools\\app.exe", "C::Tools:app.exe"},
        // The second byte of 表 is 0x5C and is replaced too.
        {"C:\\\x95\x5c\\a.exe", "C::\x95::a.exe"},
        {"", ""},
        {"/usr/bin/quorvane", "/usr/bin/quorvane"},
    };
    for (std::size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        EXPECT_EQ(cases[i].name, App::mutexNameFor(cases[i].path)) << "case " << i;
    }
}

// A unique module path, so that tests running side by side take different names.
std::string uniqueModulePath(const char* tag) {
    return std::string("C:\\qvtest\\") + tag + "\\" + std::to_string(getpid()) + ".exe";
}

TEST_F(AppFixture, GuardKeepsTheModulePathAndSeesItsOwnName) {
    const std::string path = uniqueModulePath("self");
    platform_seams::setModuleFileName(path.c_str());
    App app;
    EXPECT_FALSE(app.isAlreadyRunning(NULL));
    EXPECT_EQ(path, app.modulePath());
    // The name stays taken while the process lives.
    EXPECT_TRUE(app.isAlreadyRunning(NULL));
    // A given name is used as it is, backslashes included: not the derived one.
    const std::string given = path + "\\given";
    EXPECT_FALSE(app.isAlreadyRunning(given.c_str()));
    EXPECT_TRUE(app.isAlreadyRunning(App::mutexNameFor(path).c_str()));
}

TEST_F(AppFixture, AccessDeniedCountsAsAnotherInstance) {
    platform_seams::setModuleFileName(uniqueModulePath("denied").c_str());
    App app;
    platform_seams::failNextCall("CreateMutexA", ERROR_ACCESS_DENIED);
    EXPECT_TRUE(app.isAlreadyRunning(NULL));
    platform_seams::failNextCall("CreateMutexA", ERROR_INVALID_PARAMETER);
    EXPECT_FALSE(app.isAlreadyRunning(NULL));
}

// App::isAlreadyRunning(name) as a new process finds it.
bool checkInNewProcess(const std::string& name) {
    const pid_t checker = fork();
    if (checker == 0) {
        App app;
        _exit(app.isAlreadyRunning(name.c_str()) ? 1 : 0);
    }
    int status = -1;
    if (checker < 0 || waitpid(checker, &status, 0) != checker || !WIFEXITED(status)) {
        ADD_FAILURE() << "the checking process did not run";
        return false;
    }
    return WEXITSTATUS(status) == 1;
}

// Another process holds the name until it ends; then the name is free again.
TEST_F(AppFixture, GuardSeesAnotherProcessAndItsEnd) {
    const std::string name = App::mutexNameFor(uniqueModulePath("other"));
    int toChild[2];
    int toParent[2];
    ASSERT_EQ(0, pipe(toChild));
    ASSERT_EQ(0, pipe(toParent));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        CreateMutexA(NULL, TRUE, name.c_str());
        char byte = GetLastError() == ERROR_SUCCESS ? 'y' : 'n';
        if (write(toParent[1], &byte, 1) != 1 || read(toChild[0], &byte, 1) != 1) {
            _exit(2);
        }
        _exit(0);
    }
    char answer = 0;
    ASSERT_EQ(1, read(toParent[0], &answer, 1));
    EXPECT_EQ('y', answer);

    // Each check runs in a process of its own: the handle a check opens keeps
    // the name taken until its process ends, as on Windows.
    EXPECT_TRUE(checkInNewProcess(name));

    char go = 'x';
    ASSERT_EQ(1, write(toChild[1], &go, 1));
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    EXPECT_EQ(0, WEXITSTATUS(status));
    EXPECT_FALSE(checkInNewProcess(name));
    for (int fd : {toChild[0], toChild[1], toParent[0], toParent[1]}) {
        close(fd);
    }
}

TEST(TheApp, IsEmptyUntilAssignedAndOwnsItsApp) {
    boost::shared_ptr<App> owner(new App());
    EXPECT_EQ(1, owner.use_count());
}

} // namespace
