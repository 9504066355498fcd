// The shell's file operation. (Placeholder: reports failure until the copy engine lands.)
#include "platform/linux/internal.h"
#include "platform/linux/seams.h"

namespace {
platform_seams::ShellHook shellHook;
}

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
    if (operation != nullptr) {
        operation->fAnyOperationsAborted = TRUE;
    }
    return 1;
}

} // namespace platform_seams
