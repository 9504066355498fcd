// How a Linux file's status reads in Windows terms: attributes and times.
#pragma once

#include "platform/os.h"

#include <cstdint>
#include <ctime>
#include <sys/stat.h>

namespace platform_linux {

// The Windows attributes of a file of `mode`: a symbolic link is a reparse point, never a directory.
inline DWORD attributesForMode(mode_t mode) {
    if (S_ISLNK(mode)) {
        return FILE_ATTRIBUTE_REPARSE_POINT;
    }
    DWORD attributes = S_ISDIR(mode) ? FILE_ATTRIBUTE_DIRECTORY : 0;
    if ((mode & 0222) == 0) {
        attributes |= FILE_ATTRIBUTE_READONLY;
    }
    return attributes != 0 ? attributes : FILE_ATTRIBUTE_NORMAL;
}

// A Unix time as a FILETIME; times before 1601 become 0.
inline FILETIME fileTimeFor(int64_t seconds, uint32_t nanoseconds) {
    const int64_t kEpochDifference = 116444736000000000LL; // 1601 to 1970 in 100 ns units
    int64_t ticks = seconds * 10000000LL + nanoseconds / 100 + kEpochDifference;
    if (ticks < 0) {
        ticks = 0;
    }
    FILETIME time;
    time.dwLowDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) & 0xFFFFFFFFu);
    time.dwHighDateTime = static_cast<DWORD>(static_cast<uint64_t>(ticks) >> 32);
    return time;
}

// A timespec as a FILETIME.
inline FILETIME fileTimeFor(const struct timespec& time) {
    return fileTimeFor(static_cast<int64_t>(time.tv_sec), static_cast<uint32_t>(time.tv_nsec));
}

} // namespace platform_linux
