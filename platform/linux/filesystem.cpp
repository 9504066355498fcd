// File attributes and directory creation.
#include "platform/linux/internal.h"

#include <sys/stat.h>
#include <unistd.h>

DWORD GetFileAttributesA(LPCSTR path) {
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
    const std::string native = platform_linux::nativePath(path);
    if (native.empty()) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    if (mkdir(native.c_str(), 0777) != 0) {
        return platform_linux::failWithErrno<BOOL>(FALSE);
    }
    return TRUE;
}
