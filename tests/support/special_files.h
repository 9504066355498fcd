// Things in a test tree that are not plain files or directories.
#pragma once

#include <cstring>
#include <string>
#include <sys/mount.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace test_support {

// A Unix socket bound at `path`: its descriptor, or -1 when it can't be made there.
inline int bindSocketAt(const std::string& path) {
    sockaddr_un address = {};
    if (path.size() >= sizeof address.sun_path) {
        return -1;
    }
    const int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    if (fd < 0) {
        return -1;
    }
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        close(fd);
        return -1;
    }
    return fd;
}

// Mounts a tmpfs of `size` (such as "1m") on the existing directory `path`; false when
// that is not allowed here (it needs root).
inline bool mountSmallTmpfs(const std::string& path, const char* size) {
    const std::string options = std::string("size=") + size;
    return mount("tmpfs", path.c_str(), "tmpfs", 0, options.c_str()) == 0;
}

// Detaches what is mounted on `path`.
inline void unmount(const std::string& path) {
    umount2(path.c_str(), MNT_DETACH);
}

} // namespace test_support
