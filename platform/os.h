// The operating-system services for the rest of Quorvane: the real Windows
// API on Windows, the Linux layer's declarations of the same calls elsewhere.
#pragma once

#ifdef _WIN32
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#include <shellapi.h>
#else
#include "linux/winapi.h"
#endif

// Services of the project's own, provided by each platform's sources.

// True when `byte` separates the components of a path on this system:
// 0x5C on Windows; 0x5C and '/' on Linux.
BOOL IsPathSeparatorByte(BYTE byte);
