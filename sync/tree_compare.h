// Walks over directory trees for the save: what a directory holds, which of
// its entries can be named safely, and how a backup differs from the RAM disk.
// Paths are in Windows form; a directory's path ends in a separator.
#pragma once

#include "sync/shutdown_notifier.h"

#include <string>
#include <vector>

namespace tree_compare {

// One entry of a directory.
struct Entry {
    // The entry's name, without its directory.
    std::string name;
    // A real directory, which the walks descend into; a link or reparse point never is one.
    bool directory = false;
    // A plain file, whose size tells whether a copy of it is whole.
    bool regularFile = false;
    // The file's size in bytes; 0 for anything but a plain file.
    unsigned long long size = 0;
};

// What looking up one path found.
enum class Lookup { missing, present, unknown };

// True when `name` can be appended to a directory's path and name that entry alone again.
bool isAddressableName(const std::string& name);

// Fills `entries` with what `directory` holds, "." and ".." left out; false when it can't be listed whole.
bool listDirectory(const std::string& directory, std::vector<Entry>& entries);

// Looks up the one entry at `path` (no separator at its end) without following a link.
Lookup lookUp(const std::string& path, Entry& entry);

// Reads the identity of `directory`; false (and an unknown identity) when it can't be opened.
bool readIdentity(const std::string& directory, DirectoryIdentity& identity);

// True when every addressable entry below `source` is in `target` as the same kind, plain files of the same size.
bool holdsEverything(const std::string& target, const std::string& source);

// Adds the paths below `backup` whose entry in `ramDisk` is of the other kind (directory or not).
void collectKindChanges(const std::string& backup, const std::string& ramDisk, std::vector<std::string>& paths);

// Adds the paths below `backup` that `ramDisk` does not hold; a directory that is gone is added once, whole.
void collectStale(const std::string& backup, const std::string& ramDisk, std::vector<std::string>& paths);

// The paths as one double-NUL list.
std::string doubleNulList(const std::vector<std::string>& paths);

} // namespace tree_compare
