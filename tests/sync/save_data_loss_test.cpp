// Saves that must not cost the backup anything: every file the backup held
// before is there afterwards, intact, whatever went wrong on the way.
#include "save_fixture.h"

#include <csignal>
#include <cstring>

namespace save_test {
namespace {

namespace fs = std::filesystem;

const Tree kHeld = {{"a", "backup a"}, {"d", kDirectory}, {"d/x", "backup x"}, {"e", kDirectory}};

using Change = void (*)(const std::string& ram);

void removeRamDisk(const std::string& ram) {
    fs::remove_all(ram);
}

void makeRamDiskAgain(const std::string& ram) {
    fs::remove_all(ram);
    fs::create_directory(ram);
}

void makeRamDiskAgainWithAFile(const std::string& ram) {
    fs::remove_all(ram);
    fs::create_directory(ram);
    writeFile(ram + "/new", "new");
}

struct LostCase {
    const char* what;
    Change change;
};

const LostCase kLostCases[] = {
    {"RAM-disk directory missing", removeRamDisk},
    {"RAM-disk directory made again, empty", makeRamDiskAgain},
    {"RAM-disk directory made again with other files", makeRamDiskAgainWithAFile},
};

TEST_F(SaveTest, LostRamDiskDeletesNothing) {
    for (std::size_t i = 0; i < sizeof kLostCases / sizeof kLostCases[0]; ++i) {
        const LostCase& test = kLostCases[i];
        SCOPED_TRACE(testing::Message() << "case " << i << ": " << test.what);
        TearDown();
        SetUp();
        makeTree(backup, kHeld);
        makeNotifier(true);
        notifier->restore();
        ASSERT_TRUE(notifier->restoreComplete);
        test.change(ram);
        notifier->save();
        notifier->save();
        expectHoldsAll(kHeld, readTree(backup), "backup");
    }
}

TEST_F(SaveTest, IncompleteRestoreDeletesNothing) {
    if (!mountSmallTmpfs(ram, "64k")) {
        GTEST_SKIP() << "cannot mount a small tmpfs for the RAM disk here (needs root)";
    }
    Tree held = kHeld;
    held["big"] = std::string(256 * 1024, 'b');
    makeTree(backup, held);
    makeNotifier(false);
    notifier->restore();
    EXPECT_FALSE(notifier->restoreComplete);
    EXPECT_FALSE(fs::exists(ram + "/big") && fs::file_size(ram + "/big") == held["big"].size());

    // The user removes what did arrive; without knowing what the RAM disk missed, nothing goes.
    fs::remove(ram + "/a");
    notifier->save();
    expectHoldsAll(held, readTree(backup), "backup");
}

TEST_F(SaveTest, UnreadableSourceKeepsThePreviousCopy) {
    makeTree(backup, {{"a", "backup a"}, {"b", "backup b"}});
    makeNotifier(false);
    notifier->restore();
    writeFile(ram + "/a", "ram a");
    writeFile(ram + "/b", "ram b");
    writeFile(ram + "/c", "ram c");
    platform_seams::setShellReadFailure("a");
    notifier->save();
    EXPECT_EQ((Tree{{"a", "backup a"}, {"b", "ram b"}, {"c", "ram c"}}), readTree(backup));
}

TEST_F(SaveTest, CopyThatSkipsAFileYetReportsSuccessKeepsThePreviousCopy) {
    makeTree(backup, {{"a", "backup a"}, {"d", kDirectory}, {"d/x", "backup x"}});
    makeNotifier(false);
    notifier->restore();
    writeFile(ram + "/a", "ram a");
    writeFile(ram + "/d/x", "ram x");
    // The copy leaves out d and a, and the shell says all is well.
    const std::string aside = root + "/aside";
    fs::create_directory(aside);
    platform_seams::setShellHook([&](SHFILEOPSTRUCTA* operation) {
        if (operation->wFunc != FO_COPY) {
            return platform_seams::realShellFileOperation(operation);
        }
        fs::rename(ram + "/d", aside + "/d");
        fs::rename(ram + "/a", aside + "/a");
        platform_seams::realShellFileOperation(operation);
        fs::rename(aside + "/d", ram + "/d");
        fs::rename(aside + "/a", ram + "/a");
        operation->fAnyOperationsAborted = FALSE;
        return 0;
    });
    notifier->save();
    EXPECT_EQ((Tree{{"a", "backup a"}, {"d", kDirectory}, {"d/x", "backup x"}}), readTree(backup));
}

TEST_F(SaveTest, FullBackupKeepsEveryFileWhole) {
    if (!mountSmallTmpfs(backup, "256k")) {
        GTEST_SKIP() << "cannot mount a small tmpfs for the backup here (needs root)";
    }
    const Tree held = {{"a", std::string(40 * 1024, 'a')}, {"b", std::string(40 * 1024, 'b')}};
    makeTree(backup, held);
    makeNotifier(false);
    notifier->restore();
    const Tree fresh = {{"a", std::string(40 * 1024, 'A')},
                        {"big", std::string(1024 * 1024, 'g')},
                        {"b", std::string(40 * 1024, 'B')}};
    makeTree(ram, fresh);
    notifier->save();

    const Tree after = readTree(backup);
    for (const auto& entry : held) {
        const auto found = after.find(entry.first);
        ASSERT_NE(after.end(), found) << entry.first << " is gone";
        EXPECT_TRUE(found->second == entry.second || found->second == fresh.at(entry.first))
            << entry.first << " is neither the old copy nor the new one (" << found->second.size() << " bytes)";
    }
    EXPECT_EQ(fresh, readTree(ram)) << "the RAM disk itself is untouched";
}

TEST_F(SaveTest, SpecialFilesAndOutsideLinksEndTheSaveAndCopyNothingFromOutside) {
    const std::string outside = root + "/outside";
    makeTree(outside, {{"secret", "outside"}});
    makeTree(backup, {{"a", "a"}});
    makeNotifier(false);
    notifier->restore();
    ASSERT_EQ(0, mkfifo((ram + "/fifo").c_str(), 0644));
    const int sock = test_support::bindSocketAt(ram + "/sock");
    ASSERT_GE(sock, 0);
    ASSERT_EQ(0, symlink(outside.c_str(), (ram + "/link").c_str()));
    writeFile(ram + "/f", "f");

    // A save that waits on the FIFO would hang here: the alarm ends the test instead.
    alarm(60);
    notifier->save();
    notifier->save();
    alarm(0);
    close(sock);

    const Tree after = readTree(backup);
    EXPECT_EQ("a", after.at("a"));
    EXPECT_EQ("f", after.at("f"));
    for (const auto& entry : after) {
        EXPECT_EQ(std::string::npos, entry.first.find("secret")) << entry.first << " came from outside the tree";
    }
    if (after.count("link") != 0) {
        EXPECT_EQ("-> " + outside, after.at("link"));
    }
    EXPECT_EQ((Tree{{"secret", "outside"}}), readTree(outside));
}

} // namespace
} // namespace save_test
