// The shell's file operation: FO_COPY and FO_DELETE, carried out by the copy engine.
//
// Result: 0 only when everything named was done. Otherwise a non-zero Windows error
// code and fAnyOperationsAborted TRUE. Sockets and devices in a source tree are never
// opened and not recreated; meeting one makes the result non-zero, so that no caller
// takes the copy for complete. Nothing is asked, nothing is shown on error; with stderr
// a terminal and FOF_SILENT not set, one progress line stands in for the progress window.
#include "platform/linux/copy_engine.h"
#include "platform/linux/internal.h"
#include "platform/linux/seams.h"

#include <cerrno>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

platform_seams::ShellHook shellHook;

// The paths of a double-NUL list, in Linux form.
std::vector<std::string> pathList(LPCSTR list) {
    std::vector<std::string> paths;
    if (list == nullptr) {
        return paths;
    }
    while (*list != '\0') {
        const std::string path(list);
        paths.push_back(platform_linux::nativePath(path.c_str()));
        list += path.size() + 1;
    }
    return paths;
}

int runOperation(SHFILEOPSTRUCTA* operation) {
    namespace engine = platform_linux::copy_engine;
    engine::Options options;
    options.progress = (operation->fFlags & FOF_SILENT) == 0 && isatty(STDERR_FILENO) == 1;
    const std::vector<std::string> sources = pathList(operation->pFrom);
    switch (operation->wFunc) {
    case FO_COPY: {
        const std::vector<std::string> destinations = pathList(operation->pTo);
        if (destinations.empty()) {
            return EINVAL;
        }
        return engine::copy(sources, destinations.front(), options);
    }
    case FO_DELETE:
        return engine::remove(sources, options);
    default:
        return EINVAL; // FO_MOVE and FO_RENAME are not provided
    }
}

} // namespace

int SHFileOperationA(LPSHFILEOPSTRUCTA operation) {
    if (shellHook) {
        return shellHook(operation);
    }
    return platform_seams::realShellFileOperation(operation);
}

namespace platform_seams {

void setShellHook(ShellHook hook) {
    shellHook = std::move(hook);
}

int realShellFileOperation(SHFILEOPSTRUCTA* operation) {
    if (operation == nullptr) {
        return static_cast<int>(ERROR_INVALID_PARAMETER);
    }
    int error;
    try {
        error = runOperation(operation);
    } catch (...) {
        error = ENOMEM;
    }
    if (error == 0) {
        operation->fAnyOperationsAborted = FALSE;
        return 0;
    }
    operation->fAnyOperationsAborted = TRUE;
    const DWORD code = platform_linux::errorFromErrno(error);
    return code != 0 ? static_cast<int>(code) : static_cast<int>(ERROR_INVALID_PARAMETER);
}

void setShellReadFailure(const std::string& fileName) {
    platform_linux::copy_engine::setReadFailure(fileName);
}

void setShellWorkers(unsigned workers) {
    platform_linux::copy_engine::setDefaultWorkers(workers);
}

} // namespace platform_seams
