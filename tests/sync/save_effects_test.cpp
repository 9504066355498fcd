// Restore and save on real directories: what the RAM disk and the backups hold afterwards.
#include "save_fixture.h"

namespace save_test {
namespace {

namespace fs = std::filesystem;

struct RestoreCase {
    const char* what;
    Tree backupTree;
    Tree ramTree;
    Tree expected;
};

const RestoreCase kRestoreCases[] = {
    {"empty backup leaves the RAM disk as it was", {}, {{"a", "ram a"}}, {{"a", "ram a"}}},
    {"the backup's file replaces the RAM disk's, a file only in the RAM disk stays",
     {{"a", "backup a"}},
     {{"a", "ram a"}, {"only", "r"}},
     {{"a", "backup a"}, {"only", "r"}}},
    {"nested directories",
     {{"d", kDirectory}, {"d/e", kDirectory}, {"d/e/f", "f"}, {"d/empty", kDirectory}},
     {},
     {{"d", kDirectory}, {"d/e", kDirectory}, {"d/e/f", "f"}, {"d/empty", kDirectory}}},
};

TEST_F(SaveTest, RestoreFillsTheRamDisk) {
    for (std::size_t i = 0; i < sizeof kRestoreCases / sizeof kRestoreCases[0]; ++i) {
        const RestoreCase& test = kRestoreCases[i];
        SCOPED_TRACE(testing::Message() << "case " << i << ": " << test.what);
        TearDown();
        SetUp();
        makeTree(backup, test.backupTree);
        makeTree(ram, test.ramTree);
        makeNotifier(false);
        notifier->restore();
        EXPECT_EQ(test.expected, readTree(ram));
        EXPECT_EQ(test.backupTree, readTree(backup));
        EXPECT_TRUE(notifier->restoreComplete);
    }
}

// What the user does on the RAM disk between the restore and the save.
using Change = void (*)(const std::string& ram);

struct SaveCase {
    const char* what;
    Tree backupTree;
    Change change;
};

void editNested(const std::string& ram) {
    fs::remove(ram + "/d/x");
    fs::remove_all(ram + "/e/f");
    writeFile(ram + "/a", "edited a");
    fs::create_directories(ram + "/n/m");
    writeFile(ram + "/n/m/new", "new");
}

void changeKinds(const std::string& ram) {
    fs::remove(ram + "/k");
    fs::create_directories(ram + "/k/inner");
    writeFile(ram + "/k/inner/file", "in k");
    fs::remove_all(ram + "/j");
    writeFile(ram + "/j", "j is a file now");
}

void emptyRamDisk(const std::string& ram) {
    for (const auto& entry : fs::directory_iterator(ram)) {
        fs::remove_all(entry.path());
    }
}

const SaveCase kSaveCases[] = {
    {"nested edits, additions and removals",
     {{"a", "a"}, {"d", kDirectory}, {"d/x", "x"}, {"d/y", "y"}, {"e", kDirectory}, {"e/f", kDirectory},
      {"e/f/g", "g"}, {"e/keep", "keep"}},
     editNested},
    {"a file becomes a directory and a directory a file",
     {{"k", "k"}, {"j", kDirectory}, {"j/x", "x"}, {"other", "o"}},
     changeKinds},
    {"an empty RAM disk after a complete restore empties the backup",
     {{"a", "a"}, {"d", kDirectory}, {"d/x", "x"}},
     emptyRamDisk},
};

TEST_F(SaveTest, SaveMakesTheBackupACopyOfTheRamDisk) {
    for (std::size_t i = 0; i < sizeof kSaveCases / sizeof kSaveCases[0]; ++i) {
        const SaveCase& test = kSaveCases[i];
        SCOPED_TRACE(testing::Message() << "case " << i << ": " << test.what);
        TearDown();
        SetUp();
        makeTree(backup, test.backupTree);
        makeNotifier(true);
        notifier->restore();
        test.change(ram);
        const Tree ramTree = readTree(ram);

        notifier->save();
        EXPECT_EQ(ramTree, readTree(backup));
        expectHoldsAll(ramTree, readTree(backup2), "second backup");
        const Tree afterOne = readTree(backup);
        const Tree secondAfterOne = readTree(backup2);

        notifier->save();
        EXPECT_EQ(afterOne, readTree(backup)) << "two saves differ from one";
        EXPECT_EQ(secondAfterOne, readTree(backup2)) << "two saves differ from one";
        EXPECT_EQ(ramTree, readTree(ram));
    }
}

TEST_F(SaveTest, FileRemovedBetweenSavesStaysInTheSecondBackupOnly) {
    makeTree(backup, {{"a", "a"}, {"b", "b"}});
    makeNotifier(true);
    notifier->restore();
    notifier->save();
    fs::remove(ram + "/b");
    notifier->save();
    EXPECT_EQ((Tree{{"a", "a"}}), readTree(backup));
    EXPECT_EQ((Tree{{"a", "a"}, {"b", "b"}}), readTree(backup2));
}

TEST_F(SaveTest, ShiftJisNamesPassUntouched) {
    platform_seams::setCodePage(932);
    // The RAM disk's own name ends in ル (0x83 0x8B), whose second byte is a lead byte.
    ram = root + "/ram\x83\x8b";
    const std::string ru = "\x83\x8b";
    const std::string hyo = "\x95\x5c"; // 表: its second byte is 0x5C
    makeTree(backup, {{ru + ".txt", "ru"},
                      {hyo, kDirectory},
                      {hyo + "/x", "hyo x"},
                      {hyo + ".txt", "hyo"},
                      {"old" + ru, "old ru"}});
    makeNotifier(false);
    notifier->restore();
    EXPECT_TRUE(notifier->restoreComplete);
    EXPECT_EQ(readTree(backup), readTree(ram));

    writeFile(ram + "/" + ru + ".txt", "ru edited");
    fs::remove(ram + "/old" + ru);
    fs::remove(ram + "/" + hyo + ".txt");
    writeFile(ram + "/" + hyo + "/new", "new in hyo");
    notifier->save();

    // Under code page 932 the 0x5C of 表 belongs to its character: 表.txt is named whole and pruned.
    const Tree expected = {{ru + ".txt", "ru edited"},
                           {hyo, kDirectory},
                           {hyo + "/x", "hyo x"},
                           {hyo + "/new", "new in hyo"}};
    EXPECT_EQ(expected, readTree(backup));
}

// A stale entry whose name would, in Windows form, name another entry of the backup.
struct NameCase {
    const char* stale;
    const char* lookalike;
};

const NameCase kNameCases[] = {
    {"a\\b", "a/b"}, // 0x5C becomes a separator on the way to Linux
    {"x*", "xy"},    // wildcards would take other names along
    {"x?", "xz"},
    {"dot.", "dot"}, // Windows drops a trailing dot
};

TEST_F(SaveTest, NamesThatCannotBeNamedSafelyAreNeverDeleted) {
    for (std::size_t i = 0; i < sizeof kNameCases / sizeof kNameCases[0]; ++i) {
        const NameCase& test = kNameCases[i];
        SCOPED_TRACE(testing::Message() << "case " << i << ": " << test.stale);
        TearDown();
        SetUp();
        makeTree(backup, {{"a", kDirectory}, {test.lookalike, "keep"}});
        writeFile(backup + "/" + test.stale, "stale");
        makeNotifier(false);
        notifier->restore();
        fs::remove(ram + "/" + test.stale);
        notifier->save();
        EXPECT_EQ("keep", readFile(backup + "/" + test.lookalike));
        EXPECT_EQ("stale", readFile(backup + "/" + test.stale));
    }
}

} // namespace
} // namespace save_test
