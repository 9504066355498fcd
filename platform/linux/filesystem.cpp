// File attributes and directory creation.
#include "platform/linux/internal.h"
#include "platform/linux/seams.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace {
platform_seams::FileSystemObserver observer;

void observe(const char* function, LPCSTR path) {
    if (observer) {
        observer(function, path != nullptr ? path : "");
    }
}
} // namespace

namespace platform_seams {
void setFileSystemObserver(FileSystemObserver value) {
    observer = std::move(value);
}
} // namespace platform_seams

DWORD GetFileAttributesA(LPCSTR path) {
    observe("GetFileAttributesA", path);
    const std::string native = platform_linux::nativePath(path);
    struct stat info;
    if (native.empty() || stat(native.c_str(), &info) != 0) {
        return platform_linux::failWithErrno<DWORD>(INVALID_FILE_ATTRIBUTES);
    }
    DWORD attributes = S_ISDIR(info.st_mode) ? FILE_ATTRIBUTE_DIRECTORY : 0;
    if (access(native.c_str(), W_OK) != 0) {
        attributes |= FILE_ATTRIBUTE_READONLY;
    }
    return attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
}

BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES) {
    observe("CreateDirectoryA", path);
    if (platform_seams::takeFailure("CreateDirectoryA")) {
        return FALSE;
    }
    const std::string native = platform_linux::nativePath(path);
    if (native.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (mkdir(native.c_str(), 0777) != 0) {
        // As on Windows, a missing parent is a missing path.
        if (errno == ENOENT) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return FALSE;
        }
        return platform_linux::failWithErrno<BOOL>(FALSE);
    }
    return TRUE;
}
