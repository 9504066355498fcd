#include "platform/linux/internal.h"

#include <cerrno>

namespace {
thread_local DWORD lastError = ERROR_SUCCESS;
}

DWORD GetLastError() {
    return lastError;
}

void SetLastError(DWORD error) {
    lastError = error;
}

namespace platform_linux {

DWORD errorFromErrno(int error) {
    switch (error) {
    case 0:
        return ERROR_SUCCESS;
    case ENOENT:
        return ERROR_FILE_NOT_FOUND;
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
        return ERROR_ACCESS_DENIED;
    case EEXIST:
        return ERROR_ALREADY_EXISTS;
    case ENOMEM:
        return ERROR_NOT_ENOUGH_MEMORY;
    case EBADF:
        return ERROR_INVALID_HANDLE;
    default:
        return ERROR_INVALID_PARAMETER;
    }
}

template <typename T>
T failWithErrno(T result) {
    SetLastError(errorFromErrno(errno));
    return result;
}

template BOOL failWithErrno<BOOL>(BOOL);
template DWORD failWithErrno<DWORD>(DWORD);
template HANDLE failWithErrno<HANDLE>(HANDLE);

} // namespace platform_linux
