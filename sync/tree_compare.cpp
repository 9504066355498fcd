// Directory walks through the Windows listing calls.
#include "sync/tree_compare.h"

namespace tree_compare {

namespace {

const char kSeparator = '\\';

// The entry that `found` describes.
Entry entryFor(const WIN32_FIND_DATAA& found) {
    Entry entry;
    entry.name = found.cFileName;
    const bool reparse = (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    entry.directory = !reparse && (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    entry.regularFile = !reparse && !entry.directory;
    if (entry.regularFile) {
        entry.size = (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    }
    return entry;
}

// The addressable entries of `directory`; false when it can't be listed.
bool listAddressable(const std::string& directory, std::vector<Entry>& entries) {
    std::vector<Entry> all;
    if (!listDirectory(directory, all)) {
        return false;
    }
    for (const Entry& entry : all) {
        if (isAddressableName(entry.name)) {
            entries.push_back(entry);
        }
    }
    return true;
}

} // namespace

bool isAddressableName(const std::string& name) {
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    // A trailing dot or blank is dropped from a path on Windows: the path would name another entry.
    const char last = name[name.size() - 1];
    if (last == '.' || last == ' ') {
        return false;
    }
    for (std::size_t i = 0; i < name.size(); ++i) {
        const BYTE byte = static_cast<BYTE>(name[i]);
        // A separator byte would split the name; wildcards would name other entries as well.
        if (IsPathSeparatorByte(byte) || byte == '*' || byte == '?' || byte == '<' || byte == '>' || byte == '"' ||
            byte == '|' || byte < 0x20) {
            return false;
        }
        if (IsDBCSLeadByte(byte)) {
            // A lead byte at the end would swallow the separator that follows the name;
            // a second byte of 0x5C (as in 表) belongs to its character and separates nothing.
            if (i + 1 == name.size()) {
                return false;
            }
            ++i;
        }
    }
    return true;
}

bool listDirectory(const std::string& directory, std::vector<Entry>& entries) {
    const std::string pattern = directory + "*";
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(pattern.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) {
        // Nothing matched: an empty directory (a drive's root has no "." entry), if it is one.
        if (GetLastError() != ERROR_FILE_NOT_FOUND) {
            return false;
        }
        const DWORD attributes = GetFileAttributesA(directory.c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    }
    bool more = true;
    while (more) {
        const std::string name = found.cFileName;
        if (name != "." && name != "..") {
            entries.push_back(entryFor(found));
        }
        more = FindNextFileA(find, &found) != FALSE;
    }
    const bool whole = GetLastError() == ERROR_NO_MORE_FILES;
    FindClose(find);
    return whole;
}

Lookup lookUp(const std::string& path, Entry& entry) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA(path.c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Lookup::missing : Lookup::unknown;
    }
    entry = entryFor(found);
    FindClose(find);
    return Lookup::present;
}

bool readIdentity(const std::string& directory, DirectoryIdentity& identity) {
    identity = DirectoryIdentity();
    HANDLE handle = CreateFileA(directory.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, NULL,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, NULL);
    if (handle == INVALID_HANDLE_VALUE) {
        return false;
    }
    BY_HANDLE_FILE_INFORMATION information;
    const bool read = GetFileInformationByHandle(handle, &information) != FALSE &&
                      (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    CloseHandle(handle);
    if (!read) {
        return false;
    }
    identity.known = true;
    identity.volumeSerial = information.dwVolumeSerialNumber;
    identity.indexHigh = information.nFileIndexHigh;
    identity.indexLow = information.nFileIndexLow;
    return true;
}

bool holdsEverything(const std::string& target, const std::string& source) {
    std::vector<Entry> entries;
    if (!listAddressable(source, entries)) {
        return false;
    }
    for (const Entry& entry : entries) {
        Entry copy;
        if (lookUp(target + entry.name, copy) != Lookup::present || copy.directory != entry.directory) {
            return false;
        }
        if (entry.regularFile && (!copy.regularFile || copy.size != entry.size)) {
            return false;
        }
        if (entry.directory &&
            !holdsEverything(target + entry.name + kSeparator, source + entry.name + kSeparator)) {
            return false;
        }
    }
    return true;
}

void collectKindChanges(const std::string& backup, const std::string& ramDisk, std::vector<std::string>& paths) {
    std::vector<Entry> entries;
    if (!listAddressable(backup, entries)) {
        return;
    }
    for (const Entry& entry : entries) {
        Entry current;
        if (lookUp(ramDisk + entry.name, current) != Lookup::present) {
            continue;
        }
        if (current.directory != entry.directory) {
            paths.push_back(backup + entry.name);
        } else if (entry.directory) {
            collectKindChanges(backup + entry.name + kSeparator, ramDisk + entry.name + kSeparator, paths);
        }
    }
}

void collectStale(const std::string& backup, const std::string& ramDisk, std::vector<std::string>& paths) {
    std::vector<Entry> entries;
    if (!listAddressable(backup, entries)) {
        return;
    }
    for (const Entry& entry : entries) {
        Entry current;
        const Lookup lookup = lookUp(ramDisk + entry.name, current);
        if (lookup == Lookup::missing) {
            paths.push_back(backup + entry.name);
        } else if (lookup == Lookup::present && entry.directory && current.directory) {
            collectStale(backup + entry.name + kSeparator, ramDisk + entry.name + kSeparator, paths);
        }
    }
}

std::string doubleNulList(const std::vector<std::string>& paths) {
    std::string list;
    for (const std::string& path : paths) {
        list += path;
        list += '\0';
    }
    list += '\0';
    return list;
}

} // namespace tree_compare
