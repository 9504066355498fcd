// The copy and delete engine behind the Linux layer's SHFileOperationA.
//
// Paths handed in are Linux paths already (nativePath applied by the caller);
// names found inside trees are used as raw bytes. Every function here returns 0
// when everything was done, otherwise the errno of the first failure (or EIO when
// something was skipped, such as a socket or a device). Nothing throws.
#pragma once

#include <string>
#include <vector>

namespace platform_linux {
namespace copy_engine {

struct Options {
    bool progress = false; // one "\r" progress line on stderr
    unsigned workers = 0;  // 0: chosen from the number of processors
};

// Copies each source into `destination` (created with its parents when missing).
// A source whose last component holds '*' or '?' names the matching entries of its
// directory (dot-files included); any other source names the entry itself.
int copy(const std::vector<std::string>& sources, const std::string& destination, const Options& options);

// Removes each source for good, recursively; a wildcard source removes the matching
// entries of its directory and leaves the directory.
int remove(const std::vector<std::string>& sources, const Options& options);

// Test seam: every read of a source file with this name (last component) fails with EIO
// after some bytes have been written to the temporary; empty turns it off.
void setReadFailure(const std::string& name);

// Test seam: the number of worker threads used when Options::workers is 0; 0 restores the default.
void setDefaultWorkers(unsigned workers);

// Test seam: how a file whose name is free in the destination is written.
//   automatic:          an unnamed O_TMPFILE linked under its name where the filesystem allows it
//                       (linkat AT_EMPTY_PATH, else through /proc/self/fd), else as namedTemporary;
//   tmpfileThroughProc: the same, always linked through /proc/self/fd;
//   namedTemporary:     a temporary name beside it, renamed when complete (as a replaced file is).
// Setting automatic also forgets what earlier copies learned about filesystems and links.
enum class NewFileNaming { automatic, tmpfileThroughProc, namedTemporary };
void setNewFileNaming(NewFileNaming naming);

} // namespace copy_engine
} // namespace platform_linux
