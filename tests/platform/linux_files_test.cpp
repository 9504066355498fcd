// The Linux layer's file services: Windows-form paths, attributes, directories
// and how a profile file is rewritten.
#include "platform/linux/seams.h"
#include "support/temp_dir.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>

namespace {

using test_support::readFile;
using test_support::TempDir;
using test_support::writeFile;

// The names in a directory, "." and ".." left out.
std::vector<std::string> listNames(const std::string& path) {
    std::vector<std::string> names;
    if (DIR* dir = opendir(path.c_str())) {
        while (dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") {
                names.push_back(name);
            }
        }
        closedir(dir);
    }
    return names;
}

TEST(LinuxFiles, BackslashesSeparateWindowsFormPaths) {
    TempDir dir;
    const std::string windowsForm = dir.path() + "\\a";
    SetLastError(0);
    EXPECT_TRUE(CreateDirectoryA(windowsForm.c_str(), NULL));
    EXPECT_TRUE(test_support::isDirectory(dir / "a"));
    EXPECT_EQ(FILE_ATTRIBUTE_DIRECTORY, GetFileAttributesA((windowsForm + "\\").c_str()) & FILE_ATTRIBUTE_DIRECTORY);

    SetLastError(0);
    EXPECT_FALSE(CreateDirectoryA(windowsForm.c_str(), NULL));
    EXPECT_EQ(ERROR_ALREADY_EXISTS, GetLastError());
    SetLastError(0);
    EXPECT_FALSE(CreateDirectoryA((dir.path() + "\\missing\\b").c_str(), NULL));
    EXPECT_EQ(ERROR_PATH_NOT_FOUND, GetLastError());
    SetLastError(0);
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA((dir.path() + "\\missing").c_str()));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, GetLastError());
    EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(""));
    writeFile(dir / "file", "x");
    EXPECT_EQ(0u, GetFileAttributesA((dir / "file").c_str()) & FILE_ATTRIBUTE_DIRECTORY);
}

// Under code page 932 the second byte of 表 (0x5C) stays part of the name.
TEST(LinuxFiles, TrailBytesAreNoSeparatorsUnderCodePage932) {
    TempDir dir;
    platform_seams::setCodePage(932);
    const std::string name = "\x95\x5c";
    EXPECT_TRUE(CreateDirectoryA((dir.path() + "\\" + name).c_str(), NULL));
    platform_seams::setCodePage(0);
    EXPECT_EQ(std::vector<std::string>{name}, listNames(dir.path()));
}

TEST(LinuxProfile, RewritesOnlyTheKeyAndKeepsEveryOtherLine) {
    TempDir dir;
    const std::string path = dir / "q.ini";
    writeFile(path, "; settings\r\n[Other]\r\nRAMDisk=keep\r\n\r\n[path]\r\nramdisk = old\r\n# note\r\n");
    ASSERT_EQ(0, chmod(path.c_str(), 0640));

    EXPECT_TRUE(WritePrivateProfileStringA("Path", "RAMDisk", "new", path.c_str()));
    EXPECT_TRUE(WritePrivateProfileStringA("Path", "BackupDir", "", path.c_str()));
    EXPECT_EQ("; settings\r\n[Other]\r\nRAMDisk=keep\r\n\r\n[path]\r\nRAMDisk=new\r\n# note\r\nBackupDir=\r\n",
              readFile(path));

    struct stat info;
    ASSERT_EQ(0, stat(path.c_str(), &info));
    EXPECT_EQ(0640u, info.st_mode & 07777);
    // Written through a temporary file renamed over the old one: nothing else stays behind.
    EXPECT_EQ(std::vector<std::string>{"q.ini"}, listNames(dir.path()));
}

TEST(LinuxProfile, CreatesFileAndSectionAndFailsWhereItCannotWrite) {
    TempDir dir;
    const std::string path = dir.path() + "\\new.ini";
    EXPECT_TRUE(WritePrivateProfileStringA("Path", "RAMDisk", "/dev/shm/q", path.c_str()));
    EXPECT_EQ("[Path]\nRAMDisk=/dev/shm/q\n", readFile(dir / "new.ini"));
    EXPECT_TRUE(WritePrivateProfileStringA("Second", "k", "v", path.c_str()));
    EXPECT_EQ("[Path]\nRAMDisk=/dev/shm/q\n[Second]\nk=v\n", readFile(dir / "new.ini"));

    SetLastError(0);
    EXPECT_FALSE(WritePrivateProfileStringA("Path", "k", "v", (dir.path() + "\\missing\\x.ini").c_str()));
    EXPECT_NE(ERROR_SUCCESS, GetLastError());
}

} // namespace
