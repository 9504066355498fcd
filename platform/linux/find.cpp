// Directory listings: FindFirstFileA, FindNextFileA and FindClose.
#include "platform/linux/file_info.h"
#include "platform/linux/internal.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

// One search: an open directory and the pattern its names must match, or a single entry already given.
struct FindSearch {
    DIR* directory = nullptr;
    std::string pattern;
};

// Fills `found` with `name` and what `info` says about it.
void fill(WIN32_FIND_DATAA* found, const char* name, const struct stat& info) {
    std::memset(found, 0, sizeof *found);
    found->dwFileAttributes = platform_linux::attributesForMode(info.st_mode);
    found->ftCreationTime = platform_linux::fileTimeFor(info.st_mtim);
    found->ftLastAccessTime = platform_linux::fileTimeFor(info.st_atim);
    found->ftLastWriteTime = platform_linux::fileTimeFor(info.st_mtim);
    const uint64_t size = S_ISDIR(info.st_mode) ? 0 : static_cast<uint64_t>(info.st_size);
    found->nFileSizeHigh = static_cast<DWORD>(size >> 32);
    found->nFileSizeLow = static_cast<DWORD>(size & 0xFFFFFFFFu);
    std::strncpy(found->cFileName, name, MAX_PATH - 1);
}

// The next entry of the search that matches its pattern; false with ERROR_NO_MORE_FILES at the end.
bool nextEntry(FindSearch* search, WIN32_FIND_DATAA* found) {
    if (search->directory == nullptr) {
        SetLastError(ERROR_NO_MORE_FILES);
        return false;
    }
    for (;;) {
        errno = 0;
        const struct dirent* entry = readdir(search->directory);
        if (entry == nullptr) {
            if (errno != 0) {
                platform_linux::failWithErrno<BOOL>(FALSE);
                return false;
            }
            SetLastError(ERROR_NO_MORE_FILES);
            return false;
        }
        if (!platform_linux::wildcardMatch(search->pattern.c_str(), entry->d_name)) {
            continue;
        }
        struct stat info;
        // An entry removed since the directory was read is passed over.
        if (fstatat(dirfd(search->directory), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
            continue;
        }
        fill(found, entry->d_name, info);
        return true;
    }
}

// The error for a missing `native` path: the file's when its directory exists, the path's when not.
DWORD missingError(const std::string& directory) {
    struct stat info;
    if (stat(directory.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
        return ERROR_FILE_NOT_FOUND;
    }
    return ERROR_PATH_NOT_FOUND;
}

} // namespace

HANDLE FindFirstFileA(LPCSTR pattern, LPWIN32_FIND_DATAA found) {
    if (pattern == nullptr || found == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    }
    const std::string native = platform_linux::nativePath(pattern);
    const std::size_t slash = native.rfind('/');
    const std::string directory =
        slash == std::string::npos ? std::string(".") : (slash == 0 ? std::string("/") : native.substr(0, slash));
    const std::string name = slash == std::string::npos ? native : native.substr(slash + 1);
    if (name.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }

    // A name without wildcards finds that one entry, a symbolic link itself and not its target.
    if (name.find_first_of("*?") == std::string::npos) {
        struct stat info;
        if (lstat(native.c_str(), &info) != 0) {
            if (errno == ENOENT) {
                SetLastError(missingError(directory));
                return INVALID_HANDLE_VALUE;
            }
            return platform_linux::failWithErrno<HANDLE>(INVALID_HANDLE_VALUE);
        }
        fill(found, name.c_str(), info);
        return static_cast<HANDLE>(new FindSearch());
    }

    DIR* listing = opendir(directory.c_str());
    if (listing == nullptr) {
        if (errno == ENOENT || errno == ENOTDIR) {
            SetLastError(ERROR_PATH_NOT_FOUND);
            return INVALID_HANDLE_VALUE;
        }
        return platform_linux::failWithErrno<HANDLE>(INVALID_HANDLE_VALUE);
    }
    FindSearch* search = new FindSearch();
    search->directory = listing;
    search->pattern = name;
    if (!nextEntry(search, found)) {
        const DWORD error = GetLastError();
        closedir(listing);
        delete search;
        SetLastError(error == ERROR_NO_MORE_FILES ? ERROR_FILE_NOT_FOUND : error);
        return INVALID_HANDLE_VALUE;
    }
    return static_cast<HANDLE>(search);
}

BOOL FindNextFileA(HANDLE find, LPWIN32_FIND_DATAA found) {
    if (find == nullptr || find == INVALID_HANDLE_VALUE) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (found == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    return nextEntry(static_cast<FindSearch*>(find), found) ? TRUE : FALSE;
}

BOOL FindClose(HANDLE find) {
    if (find == nullptr || find == INVALID_HANDLE_VALUE) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    FindSearch* search = static_cast<FindSearch*>(find);
    if (search->directory != nullptr) {
        closedir(search->directory);
    }
    delete search;
    return TRUE;
}
