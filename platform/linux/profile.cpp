// Profile (.ini) files: values read by section and key, written in place
// through a temporary file so that the file is never left half-written.
#include "platform/linux/internal.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

const char kBlanks[] = " \t";

std::string trim(const std::string& text) {
    const std::size_t first = text.find_first_not_of(kBlanks);
    if (first == std::string::npos) {
        return std::string();
    }
    const std::size_t last = text.find_last_not_of(kBlanks);
    return text.substr(first, last - first + 1);
}

bool sameName(const std::string& a, const char* b) {
    return strcasecmp(a.c_str(), b) == 0;
}

struct Profile {
    std::vector<std::string> lines;
    std::string lineBreak = "\n";
    bool finalBreak = true;
    bool exists = false;
};

Profile readProfile(const std::string& path) {
    Profile profile;
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return profile;
    }
    profile.exists = true;
    std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (content.find("\r\n") != std::string::npos) {
        profile.lineBreak = "\r\n";
    }
    std::size_t start = 0;
    while (start < content.size()) {
        std::size_t end = content.find('\n', start);
        const bool last = end == std::string::npos;
        if (last) {
            end = content.size();
        }
        std::string line = content.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        profile.lines.push_back(line);
        profile.finalBreak = !last;
        start = end + 1;
    }
    return profile;
}

// The section name of a "[name]" line, or false when the line opens no section.
bool sectionName(const std::string& line, std::string& name) {
    const std::string text = trim(line);
    if (text.empty() || text[0] != '[') {
        return false;
    }
    const std::size_t close = text.find(']');
    name = trim(text.substr(1, close == std::string::npos ? std::string::npos : close - 1));
    return true;
}

// The key of a "key=value" line and its value, or false when the line holds none.
bool keyValue(const std::string& line, std::string& key, std::string& value) {
    const std::size_t equals = line.find('=');
    if (equals == std::string::npos) {
        return false;
    }
    key = trim(line.substr(0, equals));
    value = trim(line.substr(equals + 1));
    return true;
}

// The range of lines [begin, end) of the named section; false when it is missing.
bool findSection(const Profile& profile, const char* section, std::size_t& begin, std::size_t& end) {
    std::string name;
    for (std::size_t i = 0; i < profile.lines.size(); ++i) {
        if (sectionName(profile.lines[i], name) && sameName(name, section)) {
            begin = i + 1;
            end = begin;
            while (end < profile.lines.size() && !sectionName(profile.lines[end], name)) {
                ++end;
            }
            return true;
        }
    }
    return false;
}

DWORD copyOut(const std::string& value, LPSTR buffer, DWORD size) {
    if (buffer == nullptr || size == 0) {
        return 0;
    }
    const std::size_t count = value.size() < size - 1 ? value.size() : size - 1;
    std::memcpy(buffer, value.data(), count);
    buffer[count] = '\0';
    return static_cast<DWORD>(count);
}

bool writeAtomically(const std::string& path, const Profile& profile) {
    std::string content;
    for (std::size_t i = 0; i < profile.lines.size(); ++i) {
        content += profile.lines[i];
        if (i + 1 < profile.lines.size() || profile.finalBreak) {
            content += profile.lineBreak;
        }
    }
    mode_t mode = 0644;
    struct stat info;
    if (stat(path.c_str(), &info) == 0) {
        mode = info.st_mode & 07777;
    }
    const std::size_t slash = path.rfind('/');
    const std::string directory = slash == std::string::npos ? "." : (slash == 0 ? "/" : path.substr(0, slash));
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    std::string temporary = directory + "/." + name + ".XXXXXX";
    const int fd = mkstemp(&temporary[0]);
    if (fd < 0) {
        return false;
    }
    bool ok = fchmod(fd, mode) == 0;
    std::size_t written = 0;
    while (ok && written < content.size()) {
        const ssize_t n = write(fd, content.data() + written, content.size() - written);
        ok = n > 0;
        written += ok ? static_cast<std::size_t>(n) : 0;
    }
    ok = ok && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    ok = ok && rename(temporary.c_str(), path.c_str()) == 0;
    if (!ok) {
        const int saved = errno;
        unlink(temporary.c_str());
        errno = saved;
    }
    return ok;
}

} // namespace

DWORD GetPrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR defaultValue, LPSTR buffer, DWORD size,
                               LPCSTR fileName) {
    const Profile profile = readProfile(platform_linux::nativePath(fileName));
    std::size_t begin = 0;
    std::size_t end = 0;
    if (section != nullptr && key != nullptr && findSection(profile, section, begin, end)) {
        std::string name;
        std::string value;
        for (std::size_t i = begin; i < end; ++i) {
            if (keyValue(profile.lines[i], name, value) && sameName(name, key)) {
                if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
                    value = value.substr(1, value.size() - 2);
                }
                return copyOut(value, buffer, size);
            }
        }
    }
    std::string fallback = defaultValue != nullptr ? defaultValue : "";
    const std::size_t last = fallback.find_last_not_of(' ');
    fallback.erase(last == std::string::npos ? 0 : last + 1);
    SetLastError(ERROR_FILE_NOT_FOUND);
    return copyOut(fallback, buffer, size);
}

BOOL WritePrivateProfileStringA(LPCSTR section, LPCSTR key, LPCSTR value, LPCSTR fileName) {
    if (section == nullptr || fileName == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::string path = platform_linux::nativePath(fileName);
    Profile profile = readProfile(path);
    std::size_t begin = 0;
    std::size_t end = 0;
    const bool found = findSection(profile, section, begin, end);
    if (key == nullptr) {
        // No key: the whole section goes, its header included.
        if (!found) {
            return TRUE;
        }
        profile.lines.erase(profile.lines.begin() + static_cast<std::ptrdiff_t>(begin - 1),
                            profile.lines.begin() + static_cast<std::ptrdiff_t>(end));
    } else if (!found) {
        if (value == nullptr) {
            return TRUE;
        }
        if (!profile.lines.empty() && !profile.finalBreak) {
            profile.finalBreak = true;
        }
        profile.lines.push_back(std::string("[") + section + "]");
        profile.lines.push_back(std::string(key) + "=" + value);
        profile.finalBreak = true;
    } else {
        std::string name;
        std::string old;
        std::size_t at = end;
        for (std::size_t i = begin; i < end; ++i) {
            if (keyValue(profile.lines[i], name, old) && sameName(name, key)) {
                at = i;
                break;
            }
        }
        if (at < end) {
            if (value == nullptr) {
                profile.lines.erase(profile.lines.begin() + static_cast<std::ptrdiff_t>(at));
            } else {
                profile.lines[at] = std::string(key) + "=" + value;
            }
        } else if (value != nullptr) {
            // After the section's last non-blank line.
            std::size_t insert = end;
            while (insert > begin && trim(profile.lines[insert - 1]).empty()) {
                --insert;
            }
            profile.lines.insert(profile.lines.begin() + static_cast<std::ptrdiff_t>(insert),
                                 std::string(key) + "=" + value);
            if (insert == profile.lines.size() - 1) {
                profile.finalBreak = true;
            }
        }
    }
    if (!writeAtomically(path, profile)) {
        return platform_linux::failWithErrno<BOOL>(FALSE);
    }
    return TRUE;
}
