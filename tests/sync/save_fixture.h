// A RAM disk, a backup and a second backup in a temporary directory, a
// notifier whose settings name them, and helpers to build and compare trees.
#pragma once

#include "support/special_files.h"
#include "framework/app.h"
#include "platform/linux/seams.h"
#include "sync/shutdown_notifier.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include <sys/stat.h>
#include <unistd.h>

namespace save_test {

// A tree as relative path -> content; a directory is "<dir>", a symbolic link "-> target", anything else "<special>".
using Tree = std::map<std::string, std::string>;

inline const char* const kDirectory = "<dir>";

inline void writeFile(const std::string& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
}

inline std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// Creates `tree` below `root`; a directory entry before what it holds.
inline void makeTree(const std::string& root, const Tree& tree) {
    std::filesystem::create_directories(root);
    for (const auto& entry : tree) {
        const std::string path = root + "/" + entry.first;
        if (entry.second == kDirectory) {
            std::filesystem::create_directories(path);
        } else {
            std::filesystem::create_directories(std::filesystem::path(path).parent_path());
            writeFile(path, entry.second);
        }
    }
}

// What lies below `root`, without following links.
inline Tree readTree(const std::string& root) {
    Tree tree;
    std::error_code error;
    for (auto it = std::filesystem::recursive_directory_iterator(root, error);
         it != std::filesystem::recursive_directory_iterator(); it.increment(error)) {
        const std::string relative = it->path().string().substr(root.size() + 1);
        const auto type = it->symlink_status(error).type();
        if (type == std::filesystem::file_type::directory) {
            tree[relative] = kDirectory;
        } else if (type == std::filesystem::file_type::symlink) {
            tree[relative] = "-> " + std::filesystem::read_symlink(it->path(), error).string();
        } else if (type == std::filesystem::file_type::regular) {
            tree[relative] = readFile(it->path().string());
        } else {
            tree[relative] = "<special>";
        }
    }
    return tree;
}

// Fails for every entry of `before` that `after` lacks or holds with other content.
inline void expectHoldsAll(const Tree& before, const Tree& after, const std::string& what) {
    for (const auto& entry : before) {
        const auto found = after.find(entry.first);
        if (found == after.end()) {
            ADD_FAILURE() << what << ": " << entry.first << " is gone";
        } else {
            EXPECT_EQ(entry.second, found->second) << what << ": " << entry.first;
        }
    }
}

// One shell file operation as the hook saw it.
struct ShellCall {
    UINT function = 0;
    FILEOP_FLAGS flags = 0;
    HWND owner = nullptr;
    BOOL aborted = FALSE;
    bool nullMappings = false;
    bool nullTitle = false;
    // The source list's bytes up to and including its closing NULs.
    std::string from;
    // The destination list's bytes up to and including its closing NULs, and one byte more.
    std::string to;
    bool nullTo = false;
};

// The bytes of a double-NUL list up to and including its two closing NULs, and `extra` bytes more.
inline std::string listBytes(const char* list, std::size_t extra) {
    std::size_t length = 0;
    while (list[length] != '\0' || list[length + 1] != '\0') {
        ++length;
    }
    return std::string(list, length + 2 + extra);
}

// The paths of a recorded double-NUL list.
inline std::vector<std::string> listPaths(const std::string& list) {
    std::vector<std::string> paths;
    std::size_t start = 0;
    while (start < list.size() && list[start] != '\0') {
        const std::size_t end = list.find('\0', start);
        paths.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return paths;
}

class SaveTest : public ::testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/quorvane-save-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        root = pattern;
        ram = root + "/ram";
        backup = root + "/backup";
        backup2 = root + "/backup2";
    }

    void TearDown() override {
        platform_seams::setShellHook(nullptr);
        platform_seams::setShellReadFailure("");
        platform_seams::setModuleFileName(nullptr);
        platform_seams::setCodePage(0);
        notifier.reset();
        theApp.reset();
        for (const std::string& mountPoint : mounts) {
            test_support::unmount(mountPoint);
        }
        std::error_code error;
        std::filesystem::remove_all(root, error);
    }

    // Makes the notifier from a settings file naming `ram` and `backup`, and `backup2` when asked.
    void makeNotifier(bool withSecondBackup) {
        const std::string module = root + "/q.exe";
        std::string settings = "[Path]\nRAMDisk=" + ram + "\nBackupDir=" + backup + "\n";
        if (withSecondBackup) {
            settings += "BackupDir2=" + backup2 + "\n";
        }
        writeFile(root + "/q.ini", settings);
        platform_seams::setModuleFileName(module.c_str());
        theApp = boost::shared_ptr<pelkolib::App>(new pelkolib::App());
        notifier.reset(new ShutdownNotifier());
        ASSERT_TRUE(notifier->ready);
    }

    // Mounts a tmpfs of `size` on `path`; false (the test to be skipped) when that is not allowed here.
    bool mountSmallTmpfs(const std::string& path, const char* size) {
        std::filesystem::create_directories(path);
        if (!test_support::mountSmallTmpfs(path, size)) {
            return false;
        }
        mounts.push_back(path);
        return true;
    }

    // Records every shell file operation, then runs the real one; the first `callsToSkip`
    // calls are not run, yet reported as done.
    void recordShellCalls() {
        platform_seams::setShellHook([this](SHFILEOPSTRUCTA* operation) {
            ShellCall call;
            call.function = operation->wFunc;
            call.flags = operation->fFlags;
            call.owner = operation->hwnd;
            call.aborted = operation->fAnyOperationsAborted;
            call.nullMappings = operation->hNameMappings == nullptr;
            call.nullTitle = operation->lpszProgressTitle == nullptr;
            call.from = listBytes(operation->pFrom, 0);
            call.nullTo = operation->pTo == nullptr;
            if (!call.nullTo) {
                call.to = listBytes(operation->pTo, 1);
            }
            calls.push_back(call);
            if (calls.size() <= callsToSkip) {
                return 0;
            }
            return platform_seams::realShellFileOperation(operation);
        });
    }

    std::string root;
    std::string ram;
    std::string backup;
    std::string backup2;
    std::vector<std::string> mounts;
    std::unique_ptr<ShutdownNotifier> notifier;
    std::vector<ShellCall> calls;
    std::size_t callsToSkip = 0;
};

} // namespace save_test
