// Restore and save: shell file operations between the RAM disk and its backups.
//
// The save never empties the backup before copying. It copies the RAM disk
// into the backup first and only then deletes what the RAM disk no longer
// holds, and it deletes nothing at all unless the RAM-disk directory is still
// the one this run's restore filled completely: a copy that fails or stops
// part-way then leaves the backup with everything it held.
#include "sync/shutdown_notifier.h"
#include "sync/tree_compare.h"

#include <vector>

namespace {

const FILEOP_FLAGS kFlags = FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI;

// Runs one operation of `operation`'s kind on `from` and `to` (null for none); the shell's answer is not trusted.
void runShellOperation(SHFILEOPSTRUCTA& operation, UINT function, const std::string& from, const std::string* to) {
    operation.wFunc = function;
    operation.pFrom = from.c_str();
    operation.pTo = to != nullptr ? to->c_str() : NULL;
    operation.fAnyOperationsAborted = FALSE;
    SHFileOperationA(&operation);
}

} // namespace

bool DirectoryIdentity::operator==(const DirectoryIdentity& other) const {
    return known && other.known && volumeSerial == other.volumeSerial && indexHigh == other.indexHigh &&
           indexLow == other.indexLow;
}

void ShutdownNotifier::restore() {
    SHFILEOPSTRUCTA operation = {};
    operation.hwnd = GetDesktopWindow();
    operation.wFunc = FO_COPY;
    operation.fFlags = kFlags;
    std::string from = backupPath;
    from += '*';
    from += '\0';
    std::string to = ramDiskPath;
    to += '\0';
    operation.pFrom = from.c_str();
    operation.pTo = to.c_str();
    SHFileOperationA(&operation);

    // What the backup may later lose rests on what the RAM disk is now: the directories
    // themselves, and whether everything of the backup arrived.
    tree_compare::readIdentity(ramDiskPath, restoredIdentity);
    tree_compare::readIdentity(backupPath, restoredBackupIdentity);
    restoreComplete = restoredIdentity.known && restoredBackupIdentity.known &&
                      tree_compare::holdsEverything(ramDiskPath, backupPath);
}

bool ShutdownNotifier::mayDeleteFromBackup() const {
    if (!restoreComplete) {
        return false;
    }
    DirectoryIdentity ramDisk;
    DirectoryIdentity backup;
    return tree_compare::readIdentity(ramDiskPath, ramDisk) && ramDisk == restoredIdentity &&
           tree_compare::readIdentity(backupPath, backup) && backup == restoredBackupIdentity;
}

void ShutdownNotifier::save() {
    SHFILEOPSTRUCTA operation = {};
    operation.hwnd = GetDesktopWindow();
    operation.fFlags = kFlags;

    std::string ramDiskSource = ramDiskPath;
    ramDiskSource += '*';
    ramDiskSource += '\0';
    ramDiskSource += '\0';
    std::string backupDestination = backupPath;
    backupDestination += '\0';
    backupDestination += '\0';
    backupDestination += '\0';

    const bool mayDelete = mayDeleteFromBackup();

    // An entry that turned from file to directory or back would block its own copy.
    if (mayDelete) {
        std::vector<std::string> kindChanges;
        tree_compare::collectKindChanges(backupPath, ramDiskPath, kindChanges);
        if (!kindChanges.empty() && mayDeleteFromBackup()) {
            runShellOperation(operation, FO_DELETE, tree_compare::doubleNulList(kindChanges), nullptr);
        }
    }

    runShellOperation(operation, FO_COPY, ramDiskSource, &backupDestination);

    // Only now what the RAM disk no longer holds goes; the directories are checked again
    // after the walk, so a RAM disk lost meanwhile takes nothing with it.
    if (mayDelete) {
        std::vector<std::string> stale;
        tree_compare::collectStale(backupPath, ramDiskPath, stale);
        if (!stale.empty() && mayDeleteFromBackup()) {
            runShellOperation(operation, FO_DELETE, tree_compare::doubleNulList(stale), nullptr);
        }
    }

    if (!backupPath2.empty()) {
        std::string secondDestination = backupPath2;
        secondDestination += '\0';
        secondDestination += '\0';
        runShellOperation(operation, FO_COPY, ramDiskSource, &secondDestination);
    }
}
