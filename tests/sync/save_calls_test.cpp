// The shell file operations of restore and save as the shell receives them:
// which calls, in which order, with which lists, flags and owner.
#include "save_fixture.h"

#include <algorithm>

namespace save_test {
namespace {

namespace fs = std::filesystem;

// One shell call a save is expected to make.
struct Expected {
    UINT function;
    // For a deletion: the paths relative to the backup, in Windows form, in any order.
    std::vector<std::string> deleted;
    // For a copy: true when it goes to the second backup.
    bool second;
};

// What the RAM disk goes through between the restore and the save.
using Change = void (*)(const std::string& ram);

struct CallCase {
    const char* what;
    Tree backupTree;
    bool withSecondBackup;
    // The restore's copy is reported done but not carried out.
    bool restoreSkipped;
    Change change;
    std::vector<Expected> expected;
};

void noChange(const std::string&) {}

void removeSome(const std::string& ram) {
    fs::remove(ram + "/a");
    fs::remove_all(ram + "/d");
    fs::remove_all(ram + "/e/f");
}

void changeKinds(const std::string& ram) {
    fs::remove(ram + "/k");
    fs::create_directory(ram + "/k");
    fs::remove_all(ram + "/j");
    writeFile(ram + "/j", "now a file");
    fs::remove(ram + "/gone");
}

void removeRamDisk(const std::string& ram) {
    fs::remove_all(ram);
}

void makeRamDiskAgain(const std::string& ram) {
    fs::remove_all(ram);
    fs::create_directory(ram);
}

void removeOddNames(const std::string& ram) {
    fs::remove(ram + "/a\\b");
    fs::remove(ram + "/x*");
    fs::remove(ram + "/dot.");
}

void emptyRamDisk(const std::string& ram) {
    for (const auto& entry : fs::directory_iterator(ram)) {
        fs::remove_all(entry.path());
    }
}

const Expected kCopy = {FO_COPY, {}, false};
const Expected kCopySecond = {FO_COPY, {}, true};

const CallCase kCallCases[] = {
    {"nothing to delete", {{"a", "1"}}, false, false, noChange, {kCopy}},
    {"second backup comes last", {{"a", "1"}}, true, false, noChange, {kCopy, kCopySecond}},
    {"what the RAM disk lost is deleted after the copy, a whole directory once",
     {{"a", "1"}, {"d", kDirectory}, {"d/x", "x"}, {"d/y", "y"}, {"e", kDirectory}, {"e/f", kDirectory},
      {"e/f/g", "g"}, {"e/keep", "k"}},
     false,
     false,
     removeSome,
     {kCopy, {FO_DELETE, {"a", "d", "e\\f"}, false}}},
    {"kind changes go before the copy",
     {{"k", "file"}, {"j", kDirectory}, {"j/x", "x"}, {"gone", "g"}, {"stay", "s"}},
     true,
     false,
     changeKinds,
     {{FO_DELETE, {"j", "k"}, false}, kCopy, {FO_DELETE, {"gone"}, false}, kCopySecond}},
    {"restore reported done but copied nothing", {{"a", "1"}, {"b", "2"}}, false, true, noChange, {kCopy}},
    {"RAM-disk directory missing", {{"a", "1"}}, true, false, removeRamDisk, {kCopy, kCopySecond}},
    {"RAM-disk directory made again", {{"a", "1"}}, false, false, makeRamDiskAgain, {kCopy}},
    {"names that can't be named safely are never listed",
     {{"a\\b", "s"}, {"x*", "s"}, {"dot.", "s"}, {"keep", "k"}},
     false,
     false,
     removeOddNames,
     {kCopy}},
    {"RAM disk emptied after a complete restore",
     {{"a", "1"}, {"d", kDirectory}, {"d/x", "x"}},
     false,
     false,
     emptyRamDisk,
     {kCopy, {FO_DELETE, {"a", "d"}, false}}},
};

TEST_F(SaveTest, ShellCallsOfRestoreAndSave) {
    for (std::size_t i = 0; i < sizeof kCallCases / sizeof kCallCases[0]; ++i) {
        const CallCase& test = kCallCases[i];
        SCOPED_TRACE(testing::Message() << "case " << i << ": " << test.what);
        TearDown();
        SetUp();
        calls.clear();
        callsToSkip = test.restoreSkipped ? 1 : 0;
        makeTree(backup, test.backupTree);
        makeNotifier(test.withSecondBackup);
        recordShellCalls();

        notifier->restore();
        EXPECT_EQ(1u, calls.size());
        if (calls.size() != 1) {
            continue;
        }
        EXPECT_EQ(static_cast<UINT>(FO_COPY), calls[0].function);
        EXPECT_EQ(notifier->backupPath + std::string("*\0\0", 3), calls[0].from);
        EXPECT_EQ(notifier->ramDiskPath + std::string("\0\0", 2), calls[0].to.substr(0, calls[0].to.size() - 1));
        EXPECT_EQ(!test.restoreSkipped, notifier->restoreComplete);

        test.change(ram);
        notifier->save();

        EXPECT_EQ(test.expected.size() + 1, calls.size());
        if (calls.size() != test.expected.size() + 1) {
            continue;
        }
        const HWND desktop = GetDesktopWindow();
        for (std::size_t c = 0; c < calls.size(); ++c) {
            SCOPED_TRACE(testing::Message() << "call " << c);
            EXPECT_EQ(0x0610, calls[c].flags);
            EXPECT_EQ(desktop, calls[c].owner);
            EXPECT_EQ(FALSE, calls[c].aborted);
            EXPECT_TRUE(calls[c].nullMappings);
            EXPECT_TRUE(calls[c].nullTitle);
        }
        for (std::size_t e = 0; e < test.expected.size(); ++e) {
            SCOPED_TRACE(testing::Message() << "save call " << e);
            const Expected& want = test.expected[e];
            const ShellCall& got = calls[e + 1];
            EXPECT_EQ(want.function, got.function);
            if (want.function != got.function) {
                continue;
            }
            if (want.function == FO_DELETE) {
                EXPECT_TRUE(got.nullTo);
                std::vector<std::string> paths = listPaths(got.from);
                std::vector<std::string> wanted;
                for (const std::string& relative : want.deleted) {
                    wanted.push_back(notifier->backupPath + relative);
                }
                std::sort(paths.begin(), paths.end());
                std::sort(wanted.begin(), wanted.end());
                EXPECT_EQ(wanted, paths);
            } else if (want.second) {
                EXPECT_EQ(notifier->ramDiskPath + std::string("*\0\0", 3), got.from);
                EXPECT_EQ(notifier->backupPath2 + std::string("\0\0", 2), got.to.substr(0, got.to.size() - 1));
            } else {
                EXPECT_EQ(notifier->ramDiskPath + std::string("*\0\0", 3), got.from);
                EXPECT_EQ(notifier->backupPath + std::string("\0\0\0", 3), got.to);
            }
        }
    }
}

} // namespace
} // namespace save_test
