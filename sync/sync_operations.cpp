// Restore and save: shell file operations between the RAM disk and its backups.
#include "sync/shutdown_notifier.h"

namespace {

const FILEOP_FLAGS kFlags = FOF_NOCONFIRMATION | FOF_NOCONFIRMMKDIR | FOF_NOERRORUI;

} // namespace

bool DirectoryIdentity::operator==(const DirectoryIdentity& other) const {
    return known && other.known && volumeSerial == other.volumeSerial && indexHigh == other.indexHigh &&
           indexLow == other.indexLow && createdHigh == other.createdHigh && createdLow == other.createdLow;
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
}

void ShutdownNotifier::save() {
    // Placeholder until the safe save lands: copy only, never delete.
    SHFILEOPSTRUCTA operation = {};
    operation.hwnd = GetDesktopWindow();
    operation.fFlags = kFlags;
    std::string from = ramDiskPath;
    from += '*';
    from += '\0';
    std::string to = backupPath;
    to += '\0';
    to += '\0';
    operation.wFunc = FO_COPY;
    operation.pFrom = from.c_str();
    operation.pTo = to.c_str();
    SHFileOperationA(&operation);
}
