// What the Linux layer's sources share among themselves.
#pragma once

#include "platform/os.h"

#include <string>

namespace platform_linux {

// A path in Windows form as Linux takes it: separator bytes 0x5C become '/'.
std::string nativePath(const char* path);

// True when `name` matches `pattern`: '*' stands for any run of bytes, '?' for one byte,
// every other byte for itself (no locale, no case folding).
bool wildcardMatch(const char* pattern, const char* name);

// The Windows error code for an errno value.
DWORD errorFromErrno(int error);

// Sets the last error from errno and returns `result`.
template <typename T>
T failWithErrno(T result);

} // namespace platform_linux
