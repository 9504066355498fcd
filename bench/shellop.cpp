// Drives the Linux layer's SHFileOperationA from the command line, with the program's flags (0x0610).
//   shellop copy  SOURCE DESTINATION   (SOURCE such as /dev/shm/ram/* ; DESTINATION a directory)
//   shellop delete SOURCE
// SHELLOP_WORKERS=n sets the number of worker threads (for measuring; default: the layer's own choice).
// Paths may be given in Linux form or Windows form. Exit code: the call's result (0 when all was done).
#include "platform/linux/seams.h"
#include "platform/os.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

int main(int argc, char** argv) {
    if (argc < 3 || (std::strcmp(argv[1], "copy") == 0 && argc != 4) ||
        (std::strcmp(argv[1], "delete") == 0 && argc != 3)) {
        std::fprintf(stderr, "usage: shellop copy SOURCE DESTINATION | shellop delete SOURCE\n");
        return 2;
    }
    if (const char* workers = std::getenv("SHELLOP_WORKERS")) {
        platform_seams::setShellWorkers(static_cast<unsigned>(std::strtoul(workers, nullptr, 10)));
    }
    std::string from = argv[2];
    from += '\0';
    std::string to = argc == 4 ? argv[3] : "";
    to += '\0';
    SHFILEOPSTRUCTA operation = {};
    operation.wFunc = std::strcmp(argv[1], "copy") == 0 ? FO_COPY : FO_DELETE;
    operation.fFlags = FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI;
    operation.pFrom = from.c_str();
    operation.pTo = operation.wFunc == FO_COPY ? to.c_str() : nullptr;
    const int result = SHFileOperationA(&operation);
    if (result != 0) {
        std::fprintf(stderr, "shellop: result %d, aborted %d\n", result, operation.fAnyOperationsAborted);
    }
    return result == 0 ? 0 : 1;
}
