// The process: its module, its command line and named mutexes.
#include "platform/linux/internal.h"
#include "platform/linux/seams.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string moduleOverride;
bool moduleOverridden = false;
std::string commandLineOverride;
bool commandLineOverridden = false;
std::string commandLineStorage;

char moduleAnchor;

std::string realModulePath() {
    std::string buffer(4096, '\0');
    const ssize_t length = readlink("/proc/self/exe", &buffer[0], buffer.size());
    if (length <= 0) {
        return std::string();
    }
    buffer.resize(static_cast<std::size_t>(length));
    return buffer;
}

// The process arguments as one Windows-style line: an argument that holds a blank,
// a tab or nothing at all stands in double quotes.
std::string realCommandLine() {
    std::ifstream in("/proc/self/cmdline", std::ios::binary);
    std::string raw((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::string line;
    std::size_t start = 0;
    while (start < raw.size()) {
        std::size_t end = raw.find('\0', start);
        if (end == std::string::npos) {
            end = raw.size();
        }
        const std::string argument = raw.substr(start, end - start);
        if (!line.empty()) {
            line += ' ';
        }
        if (argument.empty() || argument.find_first_of(" \t") != std::string::npos) {
            line += '"' + argument + '"';
        } else {
            line += argument;
        }
        start = end + 1;
    }
    return line;
}

// 128 bits of two FNV-1a hashes as hex: a file name for any mutex name.
std::string nameKey(const std::string& name) {
    uint64_t a = 14695981039346656037ull;
    uint64_t b = 0x6c62272e07bb0142ull;
    for (unsigned char byte : name) {
        a = (a ^ byte) * 1099511628211ull;
        b = (b ^ static_cast<unsigned char>(byte + 0x5Bu)) * 0x100000001b3ull;
        b ^= b >> 29;
    }
    char text[40];
    std::snprintf(text, sizeof text, "%016llx%016llx", static_cast<unsigned long long>(a),
                  static_cast<unsigned long long>(b));
    return text;
}

// The folder of the named mutexes' lock files: the user's runtime directory, else /run
// for root, else /tmp. Empty when the folder is not a private directory of this user
// (someone else made it first, or it is a link): no lock file is then trusted.
std::string mutexDirectory() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::string base;
    if (runtime != nullptr && runtime[0] == '/' && access(runtime, W_OK | X_OK) == 0) {
        base = runtime;
    } else if (getuid() == 0 && access("/run", W_OK | X_OK) == 0) {
        base = "/run";
    } else {
        base = "/tmp";
    }
    const std::string directory = base + "/quorvane-" + std::to_string(getuid()) + "-mutex";
    mkdir(directory.c_str(), 0700);
    struct stat info;
    if (lstat(directory.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) || info.st_uid != getuid() ||
        (info.st_mode & 077) != 0) {
        return std::string();
    }
    return directory;
}

// A kernel object is its open descriptor: it lives until the process ends or it is closed.
HANDLE handleFor(int fd) {
    return reinterpret_cast<HANDLE>(static_cast<intptr_t>(fd) + 1);
}

} // namespace

HMODULE GetModuleHandleA(LPCSTR moduleName) {
    if (moduleName != nullptr) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return nullptr;
    }
    return reinterpret_cast<HMODULE>(&moduleAnchor);
}

DWORD GetModuleFileNameA(HMODULE, LPSTR buffer, DWORD size) {
    if (buffer == nullptr || size == 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const std::string path = moduleOverridden ? moduleOverride : realModulePath();
    if (path.size() >= size) {
        std::memcpy(buffer, path.data(), size - 1);
        buffer[size - 1] = '\0';
        SetLastError(122); // ERROR_INSUFFICIENT_BUFFER
        return size;
    }
    std::memcpy(buffer, path.c_str(), path.size() + 1);
    return static_cast<DWORD>(path.size());
}

LPSTR GetCommandLineA() {
    commandLineStorage = commandLineOverridden ? commandLineOverride : realCommandLine();
    return &commandLineStorage[0];
}

// Every handle to a named mutex holds a shared lock on the name's file, so the
// object lives while any handle, of any process, is open. A creation learns
// whether one is by trying for an exclusive lock; creations are serialised by
// an exclusive lock on the directory, so that no two of them both find the name
// free and the exclusive lock taken in passing is never seen by another.
HANDLE CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL, LPCSTR name) {
    if (platform_seams::takeFailure("CreateMutexA")) {
        return nullptr;
    }
    const std::string directory = mutexDirectory();
    if (directory.empty()) {
        // Not a sign of another instance: the name can't be held here at all.
        SetLastError(ERROR_PATH_NOT_FOUND);
        return nullptr;
    }
    const int guard = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (guard < 0) {
        return platform_linux::failWithErrno<HANDLE>(nullptr);
    }
    int locked;
    while ((locked = flock(guard, LOCK_EX)) != 0 && errno == EINTR) {
    }
    if (locked != 0) {
        const DWORD error = platform_linux::errorFromErrno(errno);
        close(guard);
        SetLastError(error);
        return nullptr;
    }
    const std::string path = directory + "/" + nameKey(name != nullptr ? name : "");
    const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    DWORD error = ERROR_SUCCESS;
    if (fd < 0) {
        error = platform_linux::errorFromErrno(errno);
    } else if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        if (errno == EWOULDBLOCK) {
            error = ERROR_ALREADY_EXISTS;
        } else {
            error = platform_linux::errorFromErrno(errno);
            close(fd);
        }
    }
    if (fd >= 0 && (error == ERROR_SUCCESS || error == ERROR_ALREADY_EXISTS)) {
        // From exclusive to shared, or shared beside the other handles' locks. Only a
        // process of an older layer holds an exclusive lock for good: then this handle
        // holds none, and the name stays taken as long as that process keeps it.
        flock(fd, LOCK_SH | LOCK_NB);
    }
    close(guard);
    SetLastError(error);
    if (error != ERROR_SUCCESS && error != ERROR_ALREADY_EXISTS) {
        return nullptr;
    }
    return handleFor(fd);
}

BOOL CloseHandle(HANDLE handle) {
    if (handle == nullptr) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (close(static_cast<int>(reinterpret_cast<intptr_t>(handle) - 1)) != 0) {
        return platform_linux::failWithErrno<BOOL>(FALSE);
    }
    return TRUE;
}

namespace platform_seams {

void setModuleFileName(const char* path) {
    moduleOverridden = path != nullptr;
    moduleOverride = path != nullptr ? path : "";
}

void setCommandLine(const char* commandLine) {
    commandLineOverridden = commandLine != nullptr;
    commandLineOverride = commandLine != nullptr ? commandLine : "";
}

} // namespace platform_seams
