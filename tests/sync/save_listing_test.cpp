// The Linux layer's directory listings and directory identities, as the save uses them.
#include "save_fixture.h"

#include <set>
#include <tuple>

namespace save_test {
namespace {

namespace fs = std::filesystem;

struct FindCase {
    const char* pattern; // below the test's root, '/' in Linux form
    DWORD error;         // ERROR_SUCCESS when something is found
    std::set<std::string> names;
};

const FindCase kFindCases[] = {
    {"dir/*", ERROR_SUCCESS, {".", "..", "file", "sub", "link"}},
    {"dir/f*", ERROR_SUCCESS, {"file"}},
    {"dir/s?b", ERROR_SUCCESS, {"sub"}},
    {"empty/*", ERROR_SUCCESS, {".", ".."}},
    {"dir/z*", ERROR_FILE_NOT_FOUND, {}},
    {"dir/file", ERROR_SUCCESS, {"file"}},
    {"dir/link", ERROR_SUCCESS, {"link"}},
    {"dir/none", ERROR_FILE_NOT_FOUND, {}},
    {"missing/*", ERROR_PATH_NOT_FOUND, {}},
    {"missing/file", ERROR_PATH_NOT_FOUND, {}},
    {"dir/file/*", ERROR_PATH_NOT_FOUND, {}},
};

TEST_F(SaveTest, FindListsEntriesAndEndsWithNoMoreFiles) {
    makeTree(root + "/dir", {{"file", "12345"}, {"sub", kDirectory}});
    ASSERT_EQ(0, symlink((root + "/dir/sub").c_str(), (root + "/dir/link").c_str()));
    fs::create_directory(root + "/empty");
    for (std::size_t i = 0; i < sizeof kFindCases / sizeof kFindCases[0]; ++i) {
        const FindCase& test = kFindCases[i];
        SCOPED_TRACE(testing::Message() << "case " << i << ": " << test.pattern);
        std::string pattern = root + "/" + test.pattern;
        for (char& byte : pattern) {
            byte = byte == '/' ? '\\' : byte;
        }
        WIN32_FIND_DATAA found;
        SetLastError(ERROR_SUCCESS);
        HANDLE find = FindFirstFileA(pattern.c_str(), &found);
        if (test.error != ERROR_SUCCESS) {
            EXPECT_EQ(INVALID_HANDLE_VALUE, find);
            EXPECT_EQ(test.error, GetLastError());
            continue;
        }
        ASSERT_NE(INVALID_HANDLE_VALUE, find);
        std::set<std::string> names;
        do {
            const std::string name = found.cFileName;
            names.insert(name);
            const DWORD attributes = found.dwFileAttributes;
            if (name == "file") {
                EXPECT_EQ(0u, attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT));
                EXPECT_EQ(5u, found.nFileSizeLow);
            } else if (name == "link") {
                // A link to a directory is a reparse point, not a directory to descend into.
                EXPECT_EQ(static_cast<DWORD>(FILE_ATTRIBUTE_REPARSE_POINT), attributes);
            } else {
                EXPECT_NE(0u, attributes & FILE_ATTRIBUTE_DIRECTORY) << name;
            }
        } while (FindNextFileA(find, &found));
        EXPECT_EQ(ERROR_NO_MORE_FILES, GetLastError());
        EXPECT_TRUE(FindClose(find));
        EXPECT_EQ(test.names, names);
    }
}

// The identity the save compares, read as the save reads it.
bool identityOf(const std::string& path, BY_HANDLE_FILE_INFORMATION& information) {
    HANDLE handle = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    const BOOL read = GetFileInformationByHandle(handle, &information);
    EXPECT_TRUE(CloseHandle(handle));
    return read != FALSE;
}

TEST_F(SaveTest, DirectoryIdentityChangesWhenTheDirectoryIsMadeAgain) {
    const std::string directory = root + "/d";
    fs::create_directory(directory);
    BY_HANDLE_FILE_INFORMATION first;
    BY_HANDLE_FILE_INFORMATION again;
    BY_HANDLE_FILE_INFORMATION remade;
    ASSERT_TRUE(identityOf(directory, first));
    EXPECT_NE(0u, first.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    writeFile(directory + "/f", "content changes nothing");
    ASSERT_TRUE(identityOf(directory + "\\", again));
    fs::remove_all(directory);
    fs::create_directory(directory);
    ASSERT_TRUE(identityOf(directory, remade));

    const auto key = [](const BY_HANDLE_FILE_INFORMATION& i) {
        return std::make_tuple(i.dwVolumeSerialNumber, i.nFileIndexHigh, i.nFileIndexLow);
    };
    EXPECT_EQ(key(first), key(again));
    EXPECT_NE(key(first), key(remade));

    // A directory opens only with backup semantics; a missing one not at all.
    EXPECT_EQ(INVALID_HANDLE_VALUE, CreateFileA(directory.c_str(), GENERIC_READ, 0, NULL, OPEN_EXISTING, 0, NULL));
    EXPECT_EQ(ERROR_ACCESS_DENIED, GetLastError());
    EXPECT_EQ(INVALID_HANDLE_VALUE, CreateFileA((root + "/none").c_str(), 0, 0, NULL, OPEN_EXISTING,
                                                FILE_FLAG_BACKUP_SEMANTICS, NULL));
    EXPECT_EQ(ERROR_FILE_NOT_FOUND, GetLastError());
}

} // namespace
} // namespace save_test
