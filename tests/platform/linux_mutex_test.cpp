// Where the Linux layer keeps its named mutexes, and what it does when that place is not its own.
#include "platform/os.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/stat.h>

namespace {

// Points the layer at a runtime directory of the test's own for one test.
struct RuntimeDirectory : ::testing::Test {
    test_support::TempDir dir;
    std::string saved;
    bool hadSaved = false;

    void SetUp() override {
        if (const char* value = std::getenv("XDG_RUNTIME_DIR")) {
            saved = value;
            hadSaved = true;
        }
        setenv("XDG_RUNTIME_DIR", dir.path().c_str(), 1);
    }
    void TearDown() override {
        if (hadSaved) {
            setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
        } else {
            unsetenv("XDG_RUNTIME_DIR");
        }
    }
    std::string lockFolder() const { return dir / ("quorvane-" + std::to_string(getuid()) + "-mutex"); }
};

TEST_F(RuntimeDirectory, LockFilesLiveInAPrivateFolder) {
    SetLastError(0xdeadbeef);
    HANDLE handle = CreateMutexA(NULL, TRUE, "quorvane-test-private");
    ASSERT_NE(HANDLE(NULL), handle);
    EXPECT_EQ(ERROR_SUCCESS, GetLastError());
    struct stat info;
    ASSERT_EQ(0, lstat(lockFolder().c_str(), &info));
    EXPECT_EQ(0700u, info.st_mode & 0777);
    CloseHandle(handle);
}

// A folder that others can write to (made first by someone else) is not trusted:
// no lock is taken there, and the failure does not read as another instance.
TEST_F(RuntimeDirectory, AFolderOthersCanWriteIsNotUsed) {
    ASSERT_EQ(0, mkdir(lockFolder().c_str(), 0777));
    ASSERT_EQ(0, chmod(lockFolder().c_str(), 0777));
    SetLastError(0xdeadbeef);
    EXPECT_EQ(HANDLE(NULL), CreateMutexA(NULL, TRUE, "quorvane-test-shared"));
    EXPECT_EQ(ERROR_PATH_NOT_FOUND, GetLastError());
}

} // namespace
