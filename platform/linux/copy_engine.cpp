// The copy and delete engine behind SHFileOperationA on Linux.
//
// One walking thread reads each source directory once (getdents64), creates the
// destination directories before handing their files on, copies symbolic links and
// FIFOs itself, and queues regular files for a small pool of worker threads that live
// only for the one call. A file whose name is already taken in the destination is
// written under a temporary name beside it and renamed over it when complete; a file
// whose name is free is written as an unnamed O_TMPFILE in the destination directory
// and linked under its name when complete (where the filesystem has no O_TMPFILE, the
// temporary name and rename again). Either way a name only ever shows a complete file.
// Directory modes and times are set after all contents are written; one syncfs() on
// the destination ends the copy.
#include "platform/linux/copy_engine.h"
#include "platform/linux/internal.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>
#include <utility>

#include <dirent.h>
#include <fcntl.h>
#include <sys/sendfile.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/types.h>
#include <unistd.h>

namespace platform_linux {
namespace copy_engine {

namespace {

// ---------------------------------------------------------------- seams

std::mutex seamMutex;
std::string readFailureName;
std::atomic<unsigned> defaultWorkers{0};
std::atomic<NewFileNaming> forcedNaming{NewFileNaming::automatic};

bool readShouldFail(const std::string& name) {
    std::lock_guard<std::mutex> lock(seamMutex);
    return !readFailureName.empty() && name == readFailureName;
}

// ---------------------------------------------------------------- small helpers

struct Fd {
    int fd = -1;
    dev_t device = 0; // of a destination directory: where its files go
    explicit Fd(int value, dev_t dev = 0) : fd(value), device(dev) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd >= 0) {
            close(fd);
        }
    }
};
using DirRef = std::shared_ptr<Fd>;

struct Entry {
    std::string name;
    unsigned char type;
};

bool isDotOrDotDot(const char* name) {
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Reads every entry of an open directory (from its start) but "." and "..".
int readEntries(int fd, std::vector<Entry>& entries) {
    alignas(8) static thread_local char buffer[64 * 1024];
    for (;;) {
        const long count = syscall(SYS_getdents64, fd, buffer, sizeof buffer);
        if (count < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (count == 0) {
            return 0;
        }
        for (long offset = 0; offset < count;) {
            // struct linux_dirent64: ino (8), off (8), reclen (2), type (1), name.
            unsigned short recordLength;
            std::memcpy(&recordLength, buffer + offset + 16, sizeof recordLength);
            const unsigned char type = static_cast<unsigned char>(buffer[offset + 18]);
            const char* name = buffer + offset + 19;
            if (!isDotOrDotDot(name)) {
                entries.push_back(Entry{name, type});
            }
            offset += recordLength;
        }
    }
}

unsigned char typeFromMode(mode_t mode) {
    switch (mode & S_IFMT) {
    case S_IFREG:
        return DT_REG;
    case S_IFDIR:
        return DT_DIR;
    case S_IFLNK:
        return DT_LNK;
    case S_IFIFO:
        return DT_FIFO;
    case S_IFSOCK:
        return DT_SOCK;
    case S_IFCHR:
        return DT_CHR;
    case S_IFBLK:
        return DT_BLK;
    default:
        return DT_UNKNOWN;
    }
}

// A source path cut into the directory that holds it and its last component.
struct Source {
    std::string parent;
    std::string last;
    bool wildcard = false;
};

bool splitSource(const std::string& path, Source& source) {
    std::string trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == '/') {
        trimmed.pop_back();
    }
    const std::size_t slash = trimmed.rfind('/');
    if (slash == std::string::npos) {
        source.parent = ".";
        source.last = trimmed;
    } else {
        source.parent = slash == 0 ? std::string("/") : trimmed.substr(0, slash);
        source.last = trimmed.substr(slash + 1);
    }
    if (source.last.empty() || source.last == "." || source.last == "..") {
        return false;
    }
    source.wildcard = source.last.find_first_of("*?") != std::string::npos;
    return true;
}

// Creates `path` and its missing parents.
int makeDirectories(const std::string& path) {
    if (path.empty()) {
        return ENOENT;
    }
    struct stat info;
    if (stat(path.c_str(), &info) == 0) {
        return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
    }
    std::size_t position = 0;
    for (;;) {
        position = path.find('/', position + 1);
        const std::string prefix = path.substr(0, position);
        if (!prefix.empty() && mkdir(prefix.c_str(), 0777) != 0 && errno != EEXIST) {
            return errno;
        }
        if (position == std::string::npos) {
            break;
        }
    }
    if (stat(path.c_str(), &info) != 0) {
        return errno;
    }
    return S_ISDIR(info.st_mode) ? 0 : ENOTDIR;
}

// ---------------------------------------------------------------- failure record

class Outcome {
public:
    void fail(int error) {
        if (error == 0) {
            error = EIO;
        }
        int expected = 0;
        first_.compare_exchange_strong(expected, error);
    }
    int result() const {
        return first_.load();
    }

private:
    std::atomic<int> first_{0};
};

// ---------------------------------------------------------------- removal

// Removes `name` inside `dirFd` and everything below it. `type` may be DT_UNKNOWN.
int removeEntry(int dirFd, const char* name, unsigned char type);

int removeContents(int fd, const std::function<bool(const char*)>* filter) {
    std::vector<Entry> entries;
    int error = readEntries(fd, entries);
    for (const Entry& entry : entries) {
        if (filter != nullptr && !(*filter)(entry.name.c_str())) {
            continue;
        }
        const int result = removeEntry(fd, entry.name.c_str(), entry.type);
        if (result != 0 && error == 0) {
            error = result;
        }
    }
    return error;
}

int removeEntry(int dirFd, const char* name, unsigned char type) {
    if (type != DT_DIR) {
        if (unlinkat(dirFd, name, 0) == 0) {
            return 0;
        }
        if (errno == ENOENT) {
            return 0;
        }
        if (errno != EISDIR && errno != EPERM) {
            return errno;
        }
    }
    const int fd = openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        if (errno == ENOENT) {
            return 0;
        }
        if (errno == ENOTDIR || errno == ELOOP) {
            // Not a directory after all (or replaced): one more plain unlink.
            return unlinkat(dirFd, name, 0) == 0 || errno == ENOENT ? 0 : errno;
        }
        return errno;
    }
    Fd dir(fd);
    struct stat info;
    if (fstat(fd, &info) == 0 && (info.st_mode & 0700) != 0700) {
        fchmod(fd, (info.st_mode & 07777) | 0700); // a read-only directory can still be emptied
    }
    int error = removeContents(fd, nullptr);
    if (unlinkat(dirFd, name, AT_REMOVEDIR) != 0 && errno != ENOENT && error == 0) {
        error = errno;
    }
    return error;
}

// ---------------------------------------------------------------- temporary names

std::atomic<std::uint64_t> tempSequence{0};

std::string temporaryName(const std::string& name) {
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::uint64_t value = tempSequence.fetch_add(1) * 0x9E3779B97F4A7C15ull;
    static const std::uint64_t pid = static_cast<std::uint64_t>(getpid());
    value ^= pid << 32;
    value ^= static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    char suffix[7];
    for (int i = 0; i < 6; ++i) {
        suffix[i] = alphabet[value % 62];
        value /= 62;
    }
    suffix[6] = '\0';
    // NAME_MAX is 255: keep the original name in the temporary only when it fits.
    std::string result = name.size() <= 230 ? "." + name : std::string(".qv");
    result += ".qvtmp-";
    result += suffix;
    return result;
}

// The process's umask, read without changing it (from /proc); 0777 when unknown, so that
// every file's mode is set explicitly.
mode_t currentUmask() {
    FILE* status = std::fopen("/proc/self/status", "re");
    if (status == nullptr) {
        return 0777;
    }
    char line[256];
    mode_t mask = 0777;
    while (std::fgets(line, sizeof line, status) != nullptr) {
        unsigned value;
        if (std::sscanf(line, "Umask: %o", &value) == 1) {
            mask = static_cast<mode_t>(value) & 0777;
            break;
        }
    }
    std::fclose(status);
    return mask;
}

// ---------------------------------------------------------------- data copy methods

enum Method { kCopyFileRange = 0, kSendfile = 1, kReadWrite = 2 };

std::mutex methodMutex;
std::map<std::pair<dev_t, dev_t>, Method> methodByDevices; // remembered across calls

Method lookupMethod(dev_t source, dev_t destination) {
    std::lock_guard<std::mutex> lock(methodMutex);
    const auto found = methodByDevices.find({source, destination});
    return found == methodByDevices.end() ? kCopyFileRange : found->second;
}

void rememberMethod(dev_t source, dev_t destination, Method method) {
    std::lock_guard<std::mutex> lock(methodMutex);
    methodByDevices[{source, destination}] = method;
}

// ---------------------------------------------------------------- unnamed new files

// How an O_TMPFILE gets its name: linkat(AT_EMPTY_PATH) where the kernel lets this process
// do it, else through its /proc/self/fd link; kLinkNone once neither works (no O_TMPFILE).
enum LinkMethod { kLinkEmptyPath = 0, kLinkProcFd = 1, kLinkNone = 2 };
std::atomic<int> linkMethod{kLinkEmptyPath};

std::set<dev_t> devicesWithoutTmpfile; // under methodMutex; remembered across calls

bool tmpfileKnownUnsupported(dev_t device) {
    std::lock_guard<std::mutex> lock(methodMutex);
    return devicesWithoutTmpfile.count(device) != 0;
}

void rememberNoTmpfile(dev_t device) {
    std::lock_guard<std::mutex> lock(methodMutex);
    devicesWithoutTmpfile.insert(device);
}

// Gives the open unnamed file `fd` the name `name` in `dirFd`; 0 or an errno (EEXIST when
// the name was taken meanwhile).
int linkUnnamed(int fd, int dirFd, const char* name) {
    int method = linkMethod.load(std::memory_order_relaxed);
    const NewFileNaming forced = forcedNaming.load(std::memory_order_relaxed);
    if (forced == NewFileNaming::tmpfileThroughProc && method == kLinkEmptyPath) {
        method = kLinkProcFd;
    }
    if (method == kLinkEmptyPath) {
        if (linkat(fd, "", dirFd, name, AT_EMPTY_PATH) == 0) {
            return 0;
        }
        if (errno != ENOENT && errno != EPERM) {
            return errno;
        }
        // Refused to this process (older kernels want CAP_DAC_READ_SEARCH): the /proc link from now on.
        int expected = kLinkEmptyPath;
        linkMethod.compare_exchange_strong(expected, kLinkProcFd);
    }
    char path[40];
    std::snprintf(path, sizeof path, "/proc/self/fd/%d", fd);
    if (linkat(AT_FDCWD, path, dirFd, name, AT_SYMLINK_FOLLOW) == 0) {
        return 0;
    }
    return errno;
}

bool sameTime(const timespec& a, const timespec& b) {
    return a.tv_sec == b.tv_sec && a.tv_nsec == b.tv_nsec;
}

// ---------------------------------------------------------------- the copier

struct Job {
    DirRef source;
    DirRef destination;
    std::string name;
    bool destinationFresh; // the destination directory was created by this call: nothing to compare
};

struct DirectoryMeta {
    std::string relative; // below the destination root
    mode_t mode;
    timespec times[2];
};

struct WorkerState {
    std::vector<char> buffer; // one buffer per worker, for the read/write fallback
    bool cached = false;
    dev_t cachedSource = 0;
    dev_t cachedDestination = 0;
    Method cachedMethod = kCopyFileRange;
    bool tmpfileCached = false;
    dev_t tmpfileDevice = 0;
    bool tmpfileUsable = false;
};

class Progress {
public:
    explicit Progress(bool enabled) : enabled_(enabled), start_(std::chrono::steady_clock::now()) {}

    void add(std::uint64_t bytes) {
        files_.fetch_add(1, std::memory_order_relaxed);
        bytes_.fetch_add(bytes, std::memory_order_relaxed);
        if (!enabled_) {
            return;
        }
        const std::int64_t now = elapsedMs();
        std::int64_t last = lastPrint_.load(std::memory_order_relaxed);
        if (now - last >= 200 && lastPrint_.compare_exchange_strong(last, now)) {
            print(false);
        }
    }

    void finish() {
        if (enabled_) {
            print(true);
        }
    }

private:
    std::int64_t elapsedMs() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start_)
            .count();
    }

    void print(bool last) {
        char line[128];
        const int length = std::snprintf(line, sizeof line, "\rQuorvane: %llu files, %.1f MiB%s",
                                         static_cast<unsigned long long>(files_.load()),
                                         static_cast<double>(bytes_.load()) / (1024.0 * 1024.0), last ? "\n" : "");
        if (length > 0) {
            const ssize_t ignored = write(STDERR_FILENO, line, static_cast<std::size_t>(length));
            (void)ignored;
        }
    }

    bool enabled_;
    std::chrono::steady_clock::time_point start_;
    std::atomic<std::uint64_t> files_{0};
    std::atomic<std::uint64_t> bytes_{0};
    std::atomic<std::int64_t> lastPrint_{-1000};
};

class Copier {
public:
    Copier(int rootFd, const struct stat& root, const Options& options)
        : rootFd_(rootFd), root_(root), umask_(currentUmask()), progress_(options.progress) {
        unsigned workers = options.workers != 0 ? options.workers : defaultWorkers.load();
        if (workers == 0) {
            const unsigned processors = std::max(1u, std::thread::hardware_concurrency());
            workers = std::min(8u, std::max(2u, processors * 2));
        }
        for (unsigned i = 0; i < workers; ++i) {
            try {
                threads_.emplace_back([this] { workerLoop(); });
            } catch (...) {
                break; // fewer workers (or none: the walker copies files itself)
            }
        }
    }

    Copier(const Copier&) = delete;
    Copier& operator=(const Copier&) = delete;

    ~Copier() {
        stopWorkers();
    }

    Outcome& outcome() {
        return outcome_;
    }

    // Copies entry `name` of `source` into `destination` under the same name.
    void copyEntry(const DirRef& source, const DirRef& destination, const std::string& name, unsigned char type,
                   bool destinationFresh, const std::string& relativeParent) {
        try {
            if (type == DT_UNKNOWN) {
                struct stat info;
                if (fstatat(source->fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
                    outcome_.fail(errno);
                    return;
                }
                type = typeFromMode(info.st_mode);
            }
            switch (type) {
            case DT_REG:
                enqueue(Job{source, destination, name, destinationFresh});
                break;
            case DT_DIR:
                copyDirectory(source, destination, name, destinationFresh, relativeParent);
                break;
            case DT_LNK:
            case DT_FIFO:
                copySpecial(source->fd, destination->fd, name, type, destinationFresh);
                break;
            default:
                // Sockets and devices are never opened and not recreated: the copy is not complete.
                outcome_.fail(EIO);
                break;
            }
        } catch (...) {
            outcome_.fail(ENOMEM);
        }
    }

    // Waits for every queued file, sets directory modes and times, then syncs the destination.
    void finish() {
        stopWorkers();
        for (auto meta = metas_.rbegin(); meta != metas_.rend(); ++meta) {
            if (fchmodat(rootFd_, meta->relative.c_str(), meta->mode, 0) != 0) {
                outcome_.fail(errno);
            }
            if (utimensat(rootFd_, meta->relative.c_str(), meta->times, AT_SYMLINK_NOFOLLOW) != 0) {
                outcome_.fail(errno);
            }
        }
        if (syncfs(rootFd_) != 0) {
            outcome_.fail(errno);
        }
        progress_.finish();
    }

private:
    static constexpr std::size_t kQueueLimit = 512;

    void enqueue(Job&& job) {
        if (threads_.empty()) {
            copyFile(walkerState_, job);
            return;
        }
        std::unique_lock<std::mutex> lock(mutex_);
        if (queue_.size() >= kQueueLimit) {
            // Wait until the workers have emptied half the queue: one wake-up per many files.
            walkerWaiting_ = true;
            notFull_.wait(lock, [this] { return queue_.size() <= kQueueLimit / 2; });
            walkerWaiting_ = false;
        }
        queue_.push_back(std::move(job));
        const bool wake = idleWorkers_ > 0;
        lock.unlock();
        if (wake) {
            notEmpty_.notify_one();
        }
    }

    void stopWorkers() {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            done_ = true;
        }
        notEmpty_.notify_all();
        for (std::thread& thread : threads_) {
            if (thread.joinable()) {
                thread.join();
            }
        }
        threads_.clear();
        // Anything left (only when no worker could run) is copied here.
        while (!queue_.empty()) {
            Job job = std::move(queue_.front());
            queue_.pop_front();
            copyFile(walkerState_, job);
        }
    }

    void workerLoop() {
        WorkerState state;
        for (;;) {
            std::unique_lock<std::mutex> lock(mutex_);
            if (!done_ && queue_.empty()) {
                ++idleWorkers_;
                notEmpty_.wait(lock, [this] { return done_ || !queue_.empty(); });
                --idleWorkers_;
            }
            if (queue_.empty()) {
                return;
            }
            Job job = std::move(queue_.front());
            queue_.pop_front();
            const bool wake = walkerWaiting_ && queue_.size() <= kQueueLimit / 2;
            lock.unlock();
            if (wake) {
                notFull_.notify_one();
            }
            try {
                copyFile(state, job);
            } catch (...) {
                outcome_.fail(ENOMEM);
            }
        }
    }

    void copyDirectory(const DirRef& source, const DirRef& destination, const std::string& name,
                       bool destinationFresh, const std::string& relativeParent) {
        const int sourceFd = openat(source->fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (sourceFd < 0) {
            outcome_.fail(errno);
            return;
        }
        DirRef sourceDir = std::make_shared<Fd>(sourceFd);
        struct stat info;
        if (fstat(sourceFd, &info) != 0) {
            outcome_.fail(errno);
            return;
        }
        if (info.st_dev == root_.st_dev && info.st_ino == root_.st_ino) {
            outcome_.fail(ELOOP); // the destination lies inside the source: not copied into itself
            return;
        }
        bool fresh = false;
        if (destinationFresh && mkdirat(destination->fd, name.c_str(), 0700) == 0) {
            fresh = true;
        } else {
            struct stat existing;
            if (fstatat(destination->fd, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
                if (S_ISDIR(existing.st_mode)) {
                    if ((existing.st_mode & 0700) != 0700) {
                        fchmodat(destination->fd, name.c_str(), (existing.st_mode & 07777) | 0700, 0);
                    }
                } else {
                    const int error = removeEntry(destination->fd, name.c_str(), typeFromMode(existing.st_mode));
                    if (error != 0) {
                        outcome_.fail(error);
                        return;
                    }
                    if (mkdirat(destination->fd, name.c_str(), 0700) != 0) {
                        outcome_.fail(errno);
                        return;
                    }
                    fresh = true;
                }
            } else if (errno == ENOENT) {
                if (mkdirat(destination->fd, name.c_str(), 0700) != 0) {
                    outcome_.fail(errno);
                    return;
                }
                fresh = true;
            } else {
                outcome_.fail(errno);
                return;
            }
        }
        const int destinationFd =
            openat(destination->fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (destinationFd < 0) {
            outcome_.fail(errno);
            return;
        }
        struct stat destinationInfo;
        if (fstat(destinationFd, &destinationInfo) != 0) {
            outcome_.fail(errno);
            close(destinationFd);
            return;
        }
        DirRef destinationDir = std::make_shared<Fd>(destinationFd, destinationInfo.st_dev);
        const std::string relative = relativeParent + name;
        metas_.push_back(DirectoryMeta{relative, static_cast<mode_t>(info.st_mode & 07777), {info.st_atim, info.st_mtim}});
        walk(sourceDir, destinationDir, fresh, relative + "/", nullptr);
    }

public:
    // Copies the entries of `source` (those `pattern` matches, or all) into `destination`.
    void walk(const DirRef& source, const DirRef& destination, bool destinationFresh, const std::string& relative,
              const char* pattern) {
        std::vector<Entry> entries;
        const int error = readEntries(source->fd, entries);
        if (error != 0) {
            outcome_.fail(error);
        }
        // Files first, so the workers start while the walker goes down.
        for (const Entry& entry : entries) {
            if (entry.type != DT_DIR && (pattern == nullptr || platform_linux::wildcardMatch(pattern, entry.name.c_str()))) {
                copyEntry(source, destination, entry.name, entry.type, destinationFresh, relative);
            }
        }
        for (const Entry& entry : entries) {
            if (entry.type == DT_DIR && (pattern == nullptr || platform_linux::wildcardMatch(pattern, entry.name.c_str()))) {
                copyEntry(source, destination, entry.name, entry.type, destinationFresh, relative);
            }
        }
    }

private:
    // Renames the finished temporary over `name`, removing a directory that stands in the way.
    int install(int dirFd, const std::string& temporary, const std::string& name, bool destinationIsDirectory) {
        if (destinationIsDirectory) {
            const int error = removeEntry(dirFd, name.c_str(), DT_DIR);
            if (error != 0) {
                return error;
            }
        }
        if (renameat(dirFd, temporary.c_str(), dirFd, name.c_str()) == 0) {
            return 0;
        }
        if (errno == EISDIR || errno == ENOTEMPTY || errno == EEXIST) {
            const int error = removeEntry(dirFd, name.c_str(), DT_DIR);
            if (error != 0) {
                return error;
            }
            if (renameat(dirFd, temporary.c_str(), dirFd, name.c_str()) == 0) {
                return 0;
            }
        }
        return errno;
    }

    // Symbolic links (as links, never followed) and FIFOs (recreated), by the walker.
    void copySpecial(int sourceFd, int destinationFd, const std::string& name, unsigned char type,
                     bool destinationFresh) {
        struct stat info;
        if (fstatat(sourceFd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            outcome_.fail(errno);
            return;
        }
        if (typeFromMode(info.st_mode) != type) {
            outcome_.fail(EAGAIN); // replaced by another kind while the copy ran
            return;
        }
        std::string target;
        if (type == DT_LNK) {
            std::vector<char> buffer(static_cast<std::size_t>(std::max<off_t>(info.st_size, 255)) + 1);
            for (;;) {
                const ssize_t length = readlinkat(sourceFd, name.c_str(), buffer.data(), buffer.size());
                if (length < 0) {
                    outcome_.fail(errno);
                    return;
                }
                if (static_cast<std::size_t>(length) < buffer.size()) {
                    target.assign(buffer.data(), static_cast<std::size_t>(length));
                    break;
                }
                buffer.resize(buffer.size() * 2);
            }
        }
        bool destinationIsDirectory = false;
        if (!destinationFresh) {
            struct stat existing;
            if (fstatat(destinationFd, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
                destinationIsDirectory = S_ISDIR(existing.st_mode);
                if ((existing.st_mode & S_IFMT) == (info.st_mode & S_IFMT) && existing.st_size == info.st_size &&
                    sameTime(existing.st_mtim, info.st_mtim)) {
                    if (type == DT_FIFO) {
                        if ((existing.st_mode & 07777) != (info.st_mode & 07777)) {
                            fchmodat(destinationFd, name.c_str(), info.st_mode & 07777, 0);
                        }
                        return;
                    }
                    std::vector<char> buffer(target.size() + 2);
                    const ssize_t length = readlinkat(destinationFd, name.c_str(), buffer.data(), buffer.size());
                    if (length >= 0 && static_cast<std::size_t>(length) == target.size() &&
                        std::memcmp(buffer.data(), target.data(), target.size()) == 0) {
                        return;
                    }
                }
            } else if (errno != ENOENT) {
                outcome_.fail(errno);
                return;
            }
        }
        std::string temporary;
        for (int attempt = 0;; ++attempt) {
            temporary = temporaryName(name);
            const int result = type == DT_LNK ? symlinkat(target.c_str(), destinationFd, temporary.c_str())
                                              : mkfifoat(destinationFd, temporary.c_str(), 0600);
            if (result == 0) {
                break;
            }
            if (errno != EEXIST || attempt >= 100) {
                outcome_.fail(errno);
                return;
            }
        }
        const timespec times[2] = {info.st_atim, info.st_mtim};
        int error = 0;
        if (type == DT_FIFO && fchmodat(destinationFd, temporary.c_str(), info.st_mode & 07777, 0) != 0) {
            error = errno;
        }
        if (error == 0 && utimensat(destinationFd, temporary.c_str(), times, AT_SYMLINK_NOFOLLOW) != 0) {
            error = errno;
        }
        if (error == 0) {
            error = install(destinationFd, temporary, name, destinationIsDirectory);
        }
        if (error != 0) {
            unlinkat(destinationFd, temporary.c_str(), 0);
            outcome_.fail(error);
            return;
        }
        progress_.add(0);
    }

    // Copies `size` bytes (or up to an earlier end of file); 0 or an errno.
    static int copyData(WorkerState& state, int in, int out, off_t size, dev_t sourceDevice,
                        dev_t destinationDevice) {
        if (!state.cached || state.cachedSource != sourceDevice || state.cachedDestination != destinationDevice) {
            state.cachedMethod = lookupMethod(sourceDevice, destinationDevice);
            state.cachedSource = sourceDevice;
            state.cachedDestination = destinationDevice;
            state.cached = true;
        }
        off_t done = 0;
        while (done < size) {
            const std::size_t wanted = static_cast<std::size_t>(std::min<off_t>(size - done, off_t(1) << 30));
            ssize_t count;
            if (state.cachedMethod == kCopyFileRange) {
                count = copy_file_range(in, nullptr, out, nullptr, wanted, 0);
                if (count < 0 && done == 0 &&
                    (errno == EXDEV || errno == ENOSYS || errno == EOPNOTSUPP || errno == EINVAL)) {
                    state.cachedMethod = kSendfile;
                    rememberMethod(sourceDevice, destinationDevice, kSendfile);
                    continue;
                }
            } else if (state.cachedMethod == kSendfile) {
                count = sendfile(out, in, nullptr, wanted);
                if (count < 0 && done == 0 && (errno == EINVAL || errno == ENOSYS)) {
                    state.cachedMethod = kReadWrite;
                    rememberMethod(sourceDevice, destinationDevice, kReadWrite);
                    continue;
                }
            } else {
                if (state.buffer.empty()) {
                    state.buffer.resize(256 * 1024);
                }
                count = read(in, state.buffer.data(), std::min(wanted, state.buffer.size()));
                if (count > 0) {
                    ssize_t written = 0;
                    while (written < count) {
                        const ssize_t result = write(out, state.buffer.data() + written,
                                                     static_cast<std::size_t>(count - written));
                        if (result < 0) {
                            if (errno == EINTR) {
                                continue;
                            }
                            return errno;
                        }
                        written += result;
                    }
                }
            }
            if (count < 0) {
                if (errno == EINTR) {
                    continue;
                }
                return errno;
            }
            if (count == 0) {
                break; // the source became shorter: what is there is copied
            }
            done += count;
        }
        return 0;
    }

    // Writes the contents, mode and times of the open source `in` into the open `out`; 0 or an errno.
    int writeFile(WorkerState& state, const Job& job, int in, int out, const struct stat& info,
                  bool modeAtCreation) {
        if (readShouldFail(job.name)) {
            const char partial[] = "partial";
            const ssize_t ignored = write(out, partial, sizeof partial - 1);
            (void)ignored;
            return EIO;
        }
        if (info.st_size > 0) {
            const int error = copyData(state, in, out, info.st_size, info.st_dev, job.destination->device);
            if (error != 0) {
                return error;
            }
        }
        if (!modeAtCreation && fchmod(out, info.st_mode & 07777) != 0) {
            return errno;
        }
        const timespec times[2] = {info.st_atim, info.st_mtim};
        if (futimens(out, times) != 0) {
            return errno;
        }
        return 0;
    }

    bool tmpfileUsable(WorkerState& state, dev_t device) {
        const NewFileNaming forced = forcedNaming.load(std::memory_order_relaxed);
        if (forced == NewFileNaming::namedTemporary || linkMethod.load(std::memory_order_relaxed) == kLinkNone) {
            return false;
        }
        if (!state.tmpfileCached || state.tmpfileDevice != device) {
            state.tmpfileUsable = !tmpfileKnownUnsupported(device);
            state.tmpfileDevice = device;
            state.tmpfileCached = true;
        }
        return state.tmpfileUsable;
    }

    enum class Written { done, failed, retry };

    // Copies a file whose name is free in the destination as an unnamed O_TMPFILE, linked under
    // its name once complete: nothing to replace, so no temporary name and no rename. `retry`
    // when this way is not available here (nothing written): the caller takes the named temporary.
    Written copyUnnamed(WorkerState& state, const Job& job, int in, const struct stat& info, bool modeAtCreation) {
        const int destinationDirFd = job.destination->fd;
        const dev_t device = job.destination->device;
        const int out = openat(destinationDirFd, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC,
                               modeAtCreation ? info.st_mode & 07777 : 0600);
        if (out < 0) {
            if (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL) {
                rememberNoTmpfile(device); // the filesystem (or the kernel) has no O_TMPFILE
                state.tmpfileUsable = false;
            }
            return Written::retry;
        }
        Fd output(out);
        int error = writeFile(state, job, in, out, info, modeAtCreation);
        if (error != 0) {
            outcome_.fail(error); // closing the unnamed file frees it: nothing is left behind
            return Written::failed;
        }
        error = linkUnnamed(out, destinationDirFd, job.name.c_str());
        if (error != 0) {
            // EEXIST: the name was taken meanwhile, and the named temporary replaces it safely.
            // Otherwise the link is refused (no /proc, or a filesystem that cannot link an unnamed file).
            if (error == ENOENT && linkMethod.load() == kLinkProcFd && access("/proc/self/fd", X_OK) != 0) {
                linkMethod.store(kLinkNone); // no /proc here: unnamed files cannot be named
            }
            if (lseek(in, 0, SEEK_SET) != 0) {
                outcome_.fail(errno);
                return Written::failed;
            }
            return Written::retry;
        }
        output.fd = -1;
        if (close(out) != 0) {
            error = errno;
            unlinkat(destinationDirFd, job.name.c_str(), 0); // the name was free: nothing else is lost
            outcome_.fail(error);
            return Written::failed;
        }
        progress_.add(static_cast<std::uint64_t>(info.st_size));
        return Written::done;
    }

    void copyFile(WorkerState& state, const Job& job) {
        const int sourceDirFd = job.source->fd;
        const int destinationDirFd = job.destination->fd;
        const char* name = job.name.c_str();
        bool destinationIsDirectory = false;
        bool nameFree = job.destinationFresh;
        struct stat info;
        if (!job.destinationFresh) {
            struct stat existing;
            if (fstatat(destinationDirFd, name, &existing, AT_SYMLINK_NOFOLLOW) == 0) {
                destinationIsDirectory = S_ISDIR(existing.st_mode);
                if (S_ISREG(existing.st_mode)) {
                    if (fstatat(sourceDirFd, name, &info, AT_SYMLINK_NOFOLLOW) != 0) {
                        outcome_.fail(errno);
                        return;
                    }
                    if (S_ISREG(info.st_mode) &&
                        ((info.st_dev == existing.st_dev && info.st_ino == existing.st_ino) ||
                         (info.st_size == existing.st_size && sameTime(info.st_mtim, existing.st_mtim)))) {
                        // Same file, or already the same content by size and time: nothing to write.
                        if ((existing.st_mode & 07777) != (info.st_mode & 07777) &&
                            fchmodat(destinationDirFd, name, info.st_mode & 07777, 0) != 0) {
                            outcome_.fail(errno);
                        }
                        progress_.add(0);
                        return;
                    }
                }
            } else if (errno == ENOENT) {
                nameFree = true;
            } else {
                outcome_.fail(errno);
                return;
            }
        }
        const int in = openat(sourceDirFd, name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (in < 0) {
            outcome_.fail(errno);
            return;
        }
        Fd input(in);
        if (fstat(in, &info) != 0) {
            outcome_.fail(errno);
            return;
        }
        if (!S_ISREG(info.st_mode)) {
            outcome_.fail(EAGAIN); // replaced by another kind while the copy ran
            return;
        }
        // Created with its final permission bits when the umask lets them through (saves an fchmod).
        const mode_t mode = info.st_mode & 07777;
        const bool modeAtCreation = (mode & ~static_cast<mode_t>(0777)) == 0 && (mode & umask_) == 0;
        if (nameFree && tmpfileUsable(state, job.destination->device)) {
            const Written written = copyUnnamed(state, job, in, info, modeAtCreation);
            if (written != Written::retry) {
                return;
            }
        }
        std::string temporary;
        int out = -1;
        for (int attempt = 0;; ++attempt) {
            temporary = temporaryName(job.name);
            out = openat(destinationDirFd, temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                         modeAtCreation ? mode : 0600);
            if (out >= 0) {
                break;
            }
            if (errno != EEXIST || attempt >= 100) {
                outcome_.fail(errno);
                return;
            }
        }
        int error = writeFile(state, job, in, out, info, modeAtCreation);
        if (close(out) != 0 && error == 0) {
            error = errno;
        }
        if (error == 0) {
            error = install(destinationDirFd, temporary, job.name, destinationIsDirectory);
        }
        if (error != 0) {
            unlinkat(destinationDirFd, temporary.c_str(), 0);
            outcome_.fail(error);
            return;
        }
        progress_.add(static_cast<std::uint64_t>(info.st_size));
    }

    int rootFd_;
    struct stat root_;
    mode_t umask_;
    Outcome outcome_;
    Progress progress_;
    WorkerState walkerState_;
    std::vector<DirectoryMeta> metas_;

    std::mutex mutex_;
    std::condition_variable notEmpty_;
    std::condition_variable notFull_;
    std::deque<Job> queue_;
    bool done_ = false;
    bool walkerWaiting_ = false;
    unsigned idleWorkers_ = 0;
    std::vector<std::thread> threads_;
};

int copyAll(const std::vector<std::string>& sources, const std::string& destination, const Options& options) {
    if (sources.empty()) {
        return EINVAL;
    }
    int error = makeDirectories(destination);
    if (error != 0) {
        return error;
    }
    const int rootFd = open(destination.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (rootFd < 0) {
        return errno;
    }
    DirRef root = std::make_shared<Fd>(rootFd);
    struct stat rootInfo;
    if (fstat(rootFd, &rootInfo) != 0) {
        return errno;
    }
    root->device = rootInfo.st_dev;
    Copier copier(rootFd, rootInfo, options);
    for (const std::string& path : sources) {
        Source source;
        if (!splitSource(path, source)) {
            copier.outcome().fail(EINVAL);
            continue;
        }
        const int parentFd = open(source.parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (parentFd < 0) {
            copier.outcome().fail(errno);
            continue;
        }
        DirRef parent = std::make_shared<Fd>(parentFd);
        if (source.wildcard) {
            struct stat parentInfo;
            if (fstat(parentFd, &parentInfo) == 0 && parentInfo.st_dev == rootInfo.st_dev &&
                parentInfo.st_ino == rootInfo.st_ino) {
                continue; // copying a directory's contents onto themselves: nothing to do
            }
            copier.walk(parent, root, false, "", source.last.c_str());
        } else {
            struct stat info;
            if (fstatat(parentFd, source.last.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
                copier.outcome().fail(errno);
                continue;
            }
            copier.copyEntry(parent, root, source.last, typeFromMode(info.st_mode), false, "");
        }
    }
    copier.finish();
    return copier.outcome().result();
}

int removeAll(const std::vector<std::string>& sources) {
    if (sources.empty()) {
        return EINVAL;
    }
    int first = 0;
    auto note = [&first](int error) {
        if (error != 0 && first == 0) {
            first = error;
        }
    };
    for (const std::string& path : sources) {
        Source source;
        if (!splitSource(path, source)) {
            note(EINVAL);
            continue;
        }
        const int parentFd = open(source.parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (parentFd < 0) {
            note(errno);
            continue;
        }
        Fd parent(parentFd);
        if (source.wildcard) {
            const std::string pattern = source.last;
            const std::function<bool(const char*)> filter = [&pattern](const char* name) {
                return platform_linux::wildcardMatch(pattern.c_str(), name);
            };
            note(removeContents(parentFd, &filter));
        } else {
            struct stat info;
            if (fstatat(parentFd, source.last.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
                note(errno);
                continue;
            }
            note(removeEntry(parentFd, source.last.c_str(), typeFromMode(info.st_mode)));
        }
    }
    return first;
}

} // namespace

int copy(const std::vector<std::string>& sources, const std::string& destination, const Options& options) {
    try {
        return copyAll(sources, destination, options);
    } catch (...) {
        return ENOMEM;
    }
}

int remove(const std::vector<std::string>& sources, const Options&) {
    try {
        return removeAll(sources);
    } catch (...) {
        return ENOMEM;
    }
}

void setReadFailure(const std::string& name) {
    std::lock_guard<std::mutex> lock(seamMutex);
    readFailureName = name;
}

void setDefaultWorkers(unsigned workers) {
    defaultWorkers.store(workers);
}

void setNewFileNaming(NewFileNaming naming) {
    forcedNaming.store(naming);
    if (naming == NewFileNaming::automatic) {
        linkMethod.store(kLinkEmptyPath);
        std::lock_guard<std::mutex> lock(methodMutex);
        devicesWithoutTmpfile.clear();
    }
}

} // namespace copy_engine
} // namespace platform_linux
