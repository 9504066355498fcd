// Loading the notifier's settings: the settings file, normalisation, the
// directory walk and the template.
#include "framework/app.h"
#include "framework/ini_file.h"
#include "platform/linux/seams.h"
#include "support/temp_dir.h"
#include "sync/shutdown_notifier.h"
#include "sync/texts.h"

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

using test_support::exists;
using test_support::isDirectory;
using test_support::readFile;
using test_support::TempDir;
using test_support::writeFile;
using Calls = std::vector<std::string>;

struct SettingsFixture : ::testing::Test {
    TempDir dir;
    std::string iniPath = dir / "quorvane.ini";
    Calls calls;

    void SetUp() override {
        const std::string module = dir / "quorvane.exe";
        platform_seams::setModuleFileName(module.c_str());
        theApp.reset(new pelkolib::App());
        platform_seams::setFileSystemObserver([this](const char* function, const std::string& path) {
            calls.push_back(std::string(function[0] == 'G' ? "attr " : "mkdir ") + path);
        });
    }
    void TearDown() override {
        platform_seams::setFileSystemObserver(nullptr);
        platform_seams::setModuleFileName(nullptr);
        platform_seams::setCodePage(0);
        theApp.reset();
    }

    void writeSettings(const std::string& body) { writeFile(iniPath, "[Path]\n" + body); }

    std::string value(const char* key) {
        pelkolib::IniFile ini;
        ini.setPath(iniPath);
        ini.setSection("Path");
        return ini.getString(key, "<none>");
    }

    // The paths given to GetFileAttributesA, in order.
    Calls examined() const {
        Calls paths;
        for (const std::string& call : calls) {
            if (call.compare(0, 5, "attr ") == 0) {
                paths.push_back(call.substr(5));
            }
        }
        return paths;
    }
};

TEST(SettingsPath, FollowsTheExecutablePath) {
    const struct {
        const char* module;
        const char* settings;
    } cases[] = {
        {"C:\\Tools\\quorvane.exe", "C:\\Tools\\quorvane.ini"},
        {"/usr/local/bin/quorvane", "/usr/local/bin/quorvane.ini"},
        {"/opt/q.d/quorvane", "/opt/q.d/quorvane.ini"},
        {"C:\\q.d\\quorvane", "C:\\q.d\\quorvane.ini"},
        {"ab", "ab.ini"},
        {"", ".ini"},
    };
    for (std::size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        EXPECT_EQ(cases[i].settings, ShutdownNotifier::settingsPathFor(cases[i].module)) << "case " << i;
    }
}

TEST_F(SettingsFixture, UsableSettingsAreNormalisedAndTheirDirectoriesMade) {
    writeSettings("RAMDisk = " + (dir / "ram/cache") + "\nbackupdir=\"" + (dir / "backup") +
                  "/\"\nBackupDir2=" + (dir / "second\\copy") + "\n");
    ShutdownNotifier notifier;
    EXPECT_TRUE(notifier.ready);
    EXPECT_EQ(dir / "ram/cache\\", notifier.ramDiskPath);
    EXPECT_EQ(dir / "backup/", notifier.backupPath);
    EXPECT_EQ(dir / "second\\copy\\", notifier.backupPath2);
    EXPECT_TRUE(isDirectory(dir / "ram/cache"));
    EXPECT_TRUE(isDirectory(dir / "backup"));
    EXPECT_TRUE(isDirectory(dir / "second/copy"));
    EXPECT_EQ(HWND(NULL), notifier.handle);
}

TEST_F(SettingsFixture, WalksWindowsFormPrefixesInOrder) {
    char cwd[4096];
    ASSERT_NE(nullptr, getcwd(cwd, sizeof cwd));
    ASSERT_EQ(0, chdir(dir.path().c_str()));
    writeSettings("RAMDisk=D:\\ram\\data\nBackupDir=D:\\bak\\\n");
    ShutdownNotifier notifier;
    EXPECT_EQ(0, chdir(cwd));
    EXPECT_TRUE(notifier.ready);
    EXPECT_EQ((Calls{"D:", "D:\\ram", "D:\\ram\\data", "D:", "D:\\bak"}), examined());
    EXPECT_TRUE(isDirectory(dir / "D:/ram/data"));
}

TEST_F(SettingsFixture, AFileWhereADirectoryShouldBeCountsAsPresent) {
    writeFile(dir / "file", "x");
    writeSettings("RAMDisk=" + (dir / "file") + "\nBackupDir=" + (dir / "backup") + "\n");
    ShutdownNotifier notifier;
    EXPECT_TRUE(notifier.ready);
}

// A RAM disk that can't be reached yet (its drive not mounted) keeps the user's settings.
TEST_F(SettingsFixture, FailedRamDiskChainKeepsValuesAndSkipsTheBackup) {
    writeFile(dir / "file", "x");
    const std::string ram = dir / "file/ram";
    const std::string backup = dir / "backup";
    const std::string second = dir / "second";
    writeSettings("RAMDisk=" + ram + "\nBackupDir=" + backup + "\nBackupDir2=" + second + "\n");
    ShutdownNotifier notifier;
    EXPECT_FALSE(notifier.ready);
    EXPECT_FALSE(exists(backup));
    EXPECT_TRUE(isDirectory(second));
    for (const std::string& path : examined()) {
        EXPECT_EQ(std::string::npos, path.find(backup)) << path;
    }
    EXPECT_EQ(ram, value("RAMDisk"));
    EXPECT_EQ(backup, value("BackupDir"));
    EXPECT_EQ(second, value("BackupDir2"));
}

TEST_F(SettingsFixture, FailedBackupChainKeepsValues) {
    writeSettings("RAMDisk=" + (dir / "ram") + "\nBackupDir=" + (dir / "b") + "\n");
    platform_seams::failNextCall("CreateDirectoryA", ERROR_ACCESS_DENIED);
    // The RAM disk exists already, so the failure falls on the backup.
    ASSERT_EQ(0, mkdir((dir / "ram").c_str(), 0700));
    ShutdownNotifier notifier;
    EXPECT_FALSE(notifier.ready);
    EXPECT_EQ(dir / "ram", value("RAMDisk"));
    EXPECT_EQ(dir / "b", value("BackupDir"));
}

TEST_F(SettingsFixture, MissingFileGetsTheTemplateAndNothingIsExamined) {
    ShutdownNotifier notifier;
    EXPECT_FALSE(notifier.ready);
    EXPECT_TRUE(calls.empty());
    EXPECT_EQ(QUORVANE_TEXT_TEMPLATE_RAMDISK, value("RAMDisk"));
    EXPECT_EQ(QUORVANE_TEXT_TEMPLATE_BACKUP, value("BackupDir"));
    EXPECT_EQ("<none>", value("BackupDir2"));
}

TEST_F(SettingsFixture, TemplateGoesOnlyIntoMissingKeys) {
    const struct {
        const char* body;
        const char* ramDisk;  // as read, and as left in the file
        const char* backup;
        const char* backup2;
        const char* ramDiskAfter;
        const char* backupAfter;
    } cases[] = {
        {"RAMDisk=R:\\ram\n", "R:\\ram", "", "", "R:\\ram", QUORVANE_TEXT_TEMPLATE_BACKUP},
        {"RAMDisk=\nBackupDir=B:\\bak\nBackupDir2=C:\\two\n", "", "B:\\bak", "C:\\two",
         QUORVANE_TEXT_TEMPLATE_RAMDISK, "B:\\bak"},
        {"BackupDir2=C:\\two\n", "", "", "C:\\two", QUORVANE_TEXT_TEMPLATE_RAMDISK, QUORVANE_TEXT_TEMPLATE_BACKUP},
    };
    for (std::size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        calls.clear();
        writeSettings(cases[i].body);
        ShutdownNotifier notifier;
        EXPECT_FALSE(notifier.ready) << "case " << i;
        EXPECT_TRUE(calls.empty()) << "case " << i;
        EXPECT_EQ(cases[i].ramDisk, notifier.ramDiskPath) << "case " << i;
        EXPECT_EQ(cases[i].backup, notifier.backupPath) << "case " << i;
        EXPECT_EQ(cases[i].backup2, notifier.backupPath2) << "case " << i;
        EXPECT_EQ(cases[i].ramDiskAfter, value("RAMDisk")) << "case " << i;
        EXPECT_EQ(cases[i].backupAfter, value("BackupDir")) << "case " << i;
    }
}

// A second start after the template was written must not take its texts for paths.
TEST_F(SettingsFixture, TemplateTextsCountAsEmpty) {
    char cwd[4096];
    ASSERT_NE(nullptr, getcwd(cwd, sizeof cwd));
    ASSERT_EQ(0, chdir(dir.path().c_str()));
    { ShutdownNotifier first; }
    const std::string written = readFile(iniPath);
    ShutdownNotifier second;
    EXPECT_EQ(0, chdir(cwd));
    EXPECT_FALSE(second.ready);
    EXPECT_EQ("", second.ramDiskPath);
    EXPECT_EQ("", second.backupPath);
    EXPECT_FALSE(exists(dir / QUORVANE_TEXT_TEMPLATE_RAMDISK));
    EXPECT_EQ(written, readFile(iniPath));
}

TEST_F(SettingsFixture, UncServerAndShareAreNeverCreated) {
    ShutdownNotifier notifier;
    calls.clear();
    EXPECT_FALSE(notifier.ensureDirectoryChain("\\\\server\\share\\dir\\sub"));
    ASSERT_FALSE(calls.empty());
    EXPECT_EQ("attr \\\\server\\share\\dir", calls.front());
    for (const std::string& call : calls) {
        EXPECT_NE("attr \\\\server", call);
        EXPECT_NE("attr \\\\server\\share", call);
    }
}

TEST_F(SettingsFixture, ShortPathsHaveNothingToExamine) {
    ShutdownNotifier notifier;
    calls.clear();
    EXPECT_TRUE(notifier.ensureDirectoryChain(""));
    EXPECT_TRUE(notifier.ensureDirectoryChain("a"));
    EXPECT_TRUE(calls.empty());
}

// Under code page 932 a 0x5C that is the second byte of a character is no separator,
// and a separator after a character whose second byte looks like a lead byte is one.
TEST_F(SettingsFixture, DoubleByteNamesUnderCodePage932) {
    platform_seams::setCodePage(932);
    const std::string ru = "\x83\x8b";       // ル
    const std::string hyo = "\x95\x5c";      // 表
    ShutdownNotifier notifier;

    calls.clear();
    EXPECT_TRUE(notifier.ensureDirectoryChain(dir.path() + "\\" + ru + "\\" + hyo + "x\\sub"));
    EXPECT_TRUE(isDirectory(dir / (ru + "/" + hyo + "x/sub")));
    const Calls paths = examined();
    ASSERT_GE(paths.size(), 3u);
    EXPECT_EQ((Calls{dir.path() + "\\" + ru, dir.path() + "\\" + ru + "\\" + hyo + "x",
                     dir.path() + "\\" + ru + "\\" + hyo + "x\\sub"}),
              Calls(paths.end() - 3, paths.end()));

    std::string endsInHyo = dir.path() + "\\" + hyo;
    ShutdownNotifier::appendSeparator(endsInHyo);
    EXPECT_EQ(dir.path() + "\\" + hyo + "\\", endsInHyo);
    EXPECT_TRUE(notifier.ensureDirectoryChain(endsInHyo));
    EXPECT_TRUE(isDirectory(dir / hyo));

    std::string endsInSeparator = dir.path() + "\\" + ru + "\\";
    ShutdownNotifier::appendSeparator(endsInSeparator);
    EXPECT_EQ(dir.path() + "\\" + ru + "\\", endsInSeparator);
}

TEST_F(SettingsFixture, WithoutCodePage932EveryBackslashSeparates) {
    platform_seams::setCodePage(65001);
    std::string path = "C:\\\x95\x5c";
    EXPECT_TRUE(ShutdownNotifier::endsInSeparator(path));
}

} // namespace
