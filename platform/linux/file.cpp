// Opening files and directories, and what an open one tells about itself.
#include "platform/linux/file_info.h"
#include "platform/linux/internal.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// A kernel object is its descriptor plus one, as CloseHandle expects.
HANDLE handleFor(int fd) {
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(fd) + 1);
}

// The descriptor of a handle from CreateFileA; -1 for none.
int descriptorOf(HANDLE handle) {
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) {
        return -1;
    }
    return static_cast<int>(reinterpret_cast<intptr_t>(handle) - 1);
}

} // namespace

HANDLE CreateFileA(LPCSTR path, DWORD access, DWORD, LPSECURITY_ATTRIBUTES, DWORD disposition, DWORD flags, HANDLE) {
    if (path == nullptr || disposition != OPEN_EXISTING) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const std::string native = platform_linux::nativePath(path);
    int openFlags = O_CLOEXEC;
    if (access == 0) {
        // No access asked: the handle only tells about the file, which needs no read permission.
        openFlags |= O_PATH;
    } else if ((access & GENERIC_WRITE) != 0) {
        openFlags |= (access & GENERIC_READ) != 0 ? O_RDWR : O_WRONLY;
    } else {
        openFlags |= O_RDONLY;
    }
    const int fd = native.empty() ? -1 : open(native.c_str(), openFlags);
    if (fd < 0) {
        if (native.empty()) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
        return platform_linux::failWithErrno<HANDLE>(INVALID_HANDLE_VALUE);
    }
    struct stat info;
    if (fstat(fd, &info) != 0) {
        const DWORD error = platform_linux::errorFromErrno(errno);
        close(fd);
        SetLastError(error);
        return INVALID_HANDLE_VALUE;
    }
    // A directory opens only for backup semantics, as on Windows.
    if (S_ISDIR(info.st_mode) && (flags & FILE_FLAG_BACKUP_SEMANTICS) == 0) {
        close(fd);
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return handleFor(fd);
}

BOOL GetFileInformationByHandle(HANDLE file, LPBY_HANDLE_FILE_INFORMATION information) {
    const int fd = descriptorOf(file);
    if (fd < 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (information == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    struct statx info;
    if (statx(fd, "", AT_EMPTY_PATH, STATX_BASIC_STATS | STATX_BTIME, &info) != 0) {
        return platform_linux::failWithErrno<BOOL>(FALSE);
    }
    *information = BY_HANDLE_FILE_INFORMATION();
    information->dwFileAttributes = platform_linux::attributesForMode(info.stx_mode);
    // The birth time tells a directory from a later one that got the same inode; none when the
    // file system keeps no birth time.
    if ((info.stx_mask & STATX_BTIME) != 0) {
        information->ftCreationTime = platform_linux::fileTimeFor(info.stx_btime.tv_sec, info.stx_btime.tv_nsec);
    }
    information->ftLastAccessTime = platform_linux::fileTimeFor(info.stx_atime.tv_sec, info.stx_atime.tv_nsec);
    information->ftLastWriteTime = platform_linux::fileTimeFor(info.stx_mtime.tv_sec, info.stx_mtime.tv_nsec);
    // The device as a serial number: 12 bits of major, 20 of minor.
    information->dwVolumeSerialNumber = (info.stx_dev_major << 20) | (info.stx_dev_minor & 0xFFFFFu);
    const uint64_t size = S_ISDIR(info.stx_mode) ? 0 : info.stx_size;
    information->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    information->nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
    information->nNumberOfLinks = info.stx_nlink;
    // Like an NTFS file index, which carries a reuse count beside the record number, the
    // index tells a file from a later one that got the same inode: the birth time is mixed
    // into its high half (an inode number rarely needs more than 32 bits).
    uint32_t reuse = 0;
    if ((info.stx_mask & STATX_BTIME) != 0) {
        reuse = static_cast<uint32_t>(static_cast<uint64_t>(info.stx_btime.tv_sec) * 1000003u) ^
                static_cast<uint32_t>(info.stx_btime.tv_nsec);
    }
    information->nFileIndexHigh = static_cast<DWORD>(info.stx_ino >> 32) ^ reuse;
    information->nFileIndexLow = static_cast<DWORD>(info.stx_ino & 0xFFFFFFFFu);
    return TRUE;
}
