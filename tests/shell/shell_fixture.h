// A unique temporary directory per test, and small file helpers for the shell tests.
#pragma once

#include "platform/linux/copy_engine.h"
#include "platform/linux/seams.h"
#include "platform/os.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace shell_test {

// `path` with every '/' turned into the Windows separator 0x5C, as the program hands paths over.
inline std::string windowsForm(const std::string& path) {
    std::string result = path;
    for (char& byte : result) {
        if (byte == '/') {
            byte = '\\';
        }
    }
    return result;
}

// A double-NUL list of `paths`.
inline std::string list(std::initializer_list<std::string> paths) {
    std::string result;
    for (const std::string& path : paths) {
        result += path;
        result += '\0';
    }
    result += '\0';
    return result;
}

struct Result {
    int code;
    BOOL aborted;
};

// One SHFileOperationA call with the program's flags (0x0610).
inline Result run(UINT function, const std::string& fromList, const std::string& toList) {
    SHFILEOPSTRUCTA operation = {};
    operation.wFunc = function;
    operation.fFlags = FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI;
    operation.pFrom = fromList.c_str();
    operation.pTo = function == FO_COPY ? toList.c_str() : nullptr;
    const int code = SHFileOperationA(&operation);
    return Result{code, operation.fAnyOperationsAborted};
}

// Copies everything inside `source` into `destination` as the program does: "source\*" -> "destination\".
inline Result copyContents(const std::string& source, const std::string& destination) {
    return run(FO_COPY, list({windowsForm(source) + "\\*"}), list({windowsForm(destination) + "\\"}));
}

inline void writeFile(const std::string& path, const std::string& content, mode_t mode = 0644) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    out.close();
    ASSERT_EQ(0, chmod(path.c_str(), mode)) << path;
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

inline void setTimes(const std::string& path, time_t seconds, long nanoseconds) {
    const timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
    ASSERT_EQ(0, utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW)) << path;
}

inline struct stat statOf(const std::string& path) {
    struct stat info = {};
    lstat(path.c_str(), &info);
    return info;
}

inline bool exists(const std::string& path) {
    struct stat info;
    return lstat(path.c_str(), &info) == 0;
}

// Every entry below `root` whose name holds ".qvtmp-".
inline std::vector<std::string> temporaries(const std::string& root) {
    std::vector<std::string> found;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(root, error);
         it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        if (it->path().filename().string().find(".qvtmp-") != std::string::npos) {
            found.push_back(it->path().string());
        }
    }
    return found;
}

class ShellTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/quorvane-shell-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        root = pattern;
        source = root + "/src";
        destination = root + "/dst";
        ASSERT_EQ(0, mkdir(source.c_str(), 0755));
    }

    void TearDown() override {
        platform_seams::setShellHook(nullptr);
        platform_seams::setShellReadFailure("");
        platform_linux::copy_engine::setNewFileNaming(platform_linux::copy_engine::NewFileNaming::automatic);
        platform_seams::setCodePage(0);
        std::error_code error;
        // Make read-only directories removable first.
        for (auto it = std::filesystem::recursive_directory_iterator(root, error);
             it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
            if (it->symlink_status(error).type() == std::filesystem::file_type::directory) {
                chmod(it->path().c_str(), 0755);
            }
        }
        std::filesystem::remove_all(root, error);
    }

    std::string root;
    std::string source;
    std::string destination;
};

} // namespace shell_test
