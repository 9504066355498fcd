// Hooks into the Linux layer for tests: what the layer reports as the
// module path, the command line and the code page, scripted failures of
// single calls, a recorder in front of the shell's file operation, the
// session end, and a reset of the window state between tests.
#pragma once

#include "../os.h"

#include <functional>
#include <string>

namespace platform_seams {

// Makes GetModuleFileNameA report `path`; null restores the real path.
void setModuleFileName(const char* path);

// Makes GetCommandLineA return `commandLine`; null restores the real one.
void setCommandLine(const char* commandLine);

// Selects the ANSI code page: 932 gives Shift_JIS lead bytes, any other value none; 0 restores the locale's.
void setCodePage(UINT codePage);

// Makes the next call of `function` (for instance "CreateWindowExA") fail with `error`.
void failNextCall(const std::string& function, DWORD error);

// True once (and clears the request) when the next call of `function` is to fail; sets the error.
bool takeFailure(const char* function);

// Receives every SHFileOperationA call in place of the real operation; an empty hook restores it.
using ShellHook = std::function<int(SHFILEOPSTRUCTA*)>;
void setShellHook(ShellHook hook);

// Runs the real shell file operation, whatever hook is set.
int realShellFileOperation(SHFILEOPSTRUCTA* operation);

// Sees every GetFileAttributesA and CreateDirectoryA call with the path as the caller gave it; empty: none.
using FileSystemObserver = std::function<void(const char* function, const std::string& path)>;
void setFileSystemObserver(FileSystemObserver observer);

// Runs the session end a signal would, without the signal and without ending the process:
// WM_QUERYENDSESSION to every top-level window, then WM_ENDSESSION; true when every window agreed.
bool endSessionNow();

// Makes every read of a source file named `fileName` (last component) fail with EIO during
// SHFileOperationA copies, after some bytes reached the temporary; empty turns it off.
void setShellReadFailure(const std::string& fileName);

// The number of worker threads of SHFileOperationA copies; 0 restores the default.
void setShellWorkers(unsigned workers);

// Destroys every window without messages, unregisters every class and empties the message queue.
void resetWindows();

} // namespace platform_seams
