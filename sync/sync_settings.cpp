// Loading and checking the settings of the shutdown notifier.
#include "framework/app.h"
#include "framework/ini_file.h"
#include "sync/shutdown_notifier.h"
#include "sync/texts.h"

namespace {

const char kSection[] = "Path";
const char kRamDiskKey[] = "RAMDisk";
const char kBackupKey[] = "BackupDir";
const char kBackup2Key[] = "BackupDir2";

bool isSeparator(char value) {
    return IsPathSeparatorByte(static_cast<BYTE>(value)) != FALSE;
}

// Calls `visit(index)` for every byte of `path` that starts a character, walking
// from the first byte with the active code page's lead-byte test.
template <typename Visit>
void forEachCharacter(const std::string& path, Visit visit) {
    for (std::size_t i = 0; i < path.size(); ++i) {
        visit(i);
        if (IsDBCSLeadByte(static_cast<BYTE>(path[i])) && i + 1 < path.size()) {
            ++i;
        }
    }
}

// A value equal to its key's template text was written by us, not the user.
std::string readPath(const pelkolib::IniFile& ini, const char* key, const char* templateText) {
    std::string value = ini.getString(key, "");
    if (templateText != nullptr && value == templateText) {
        value.clear();
    }
    return value;
}

} // namespace

std::string ShutdownNotifier::settingsPathFor(const std::string& modulePath) {
    std::size_t nameStart = 0;
    forEachCharacter(modulePath, [&](std::size_t i) {
        if (isSeparator(modulePath[i])) {
            nameStart = i + 1;
        }
    });
    if (modulePath.find('.', nameStart) == std::string::npos) {
        return modulePath + ".ini";
    }
    std::string path = modulePath;
    path.replace(path.size() - 3, 3, "ini");
    return path;
}

bool ShutdownNotifier::endsInSeparator(const std::string& path) {
    bool last = false;
    forEachCharacter(path, [&](std::size_t i) { last = isSeparator(path[i]) && i + 1 == path.size(); });
    return last;
}

void ShutdownNotifier::appendSeparator(std::string& path) {
    if (!endsInSeparator(path)) {
        path += '\\';
    }
}

void ShutdownNotifier::loadSettings() {
    ready = false;
    pelkolib::IniFile ini;
    ini.setPath(settingsPathFor(theApp->modulePath()));
    ini.setSection(kSection);

    ramDiskPath = readPath(ini, kRamDiskKey, QUORVANE_TEXT_TEMPLATE_RAMDISK);
    backupPath = readPath(ini, kBackupKey, QUORVANE_TEXT_TEMPLATE_BACKUP);
    backupPath2 = readPath(ini, kBackup2Key, nullptr);

    if (!ramDiskPath.empty() && !backupPath.empty()) {
        appendSeparator(ramDiskPath);
        appendSeparator(backupPath);
        if (!backupPath2.empty()) {
            appendSeparator(backupPath2);
        }
        ready = ensureDirectoryChain(ramDiskPath);
        if (ready) {
            ready = ensureDirectoryChain(backupPath);
        }
        if (!backupPath2.empty()) {
            ensureDirectoryChain(backupPath2);
        }
    }

    if (!ready) {
        // Only what is missing gets the template: the user's own values stay,
        // also when their directories can't be reached yet.
        if (ramDiskPath.empty()) {
            ini.putString(kRamDiskKey, QUORVANE_TEXT_TEMPLATE_RAMDISK);
        }
        if (backupPath.empty()) {
            ini.putString(kBackupKey, QUORVANE_TEXT_TEMPLATE_BACKUP);
        }
    }
}

bool ShutdownNotifier::ensureDirectoryChain(std::string path) {
    appendSeparator(path);

    // Below a UNC share: the server and the share are never created.
    std::size_t first = 2;
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        std::size_t components = 0;
        forEachCharacter(path, [&](std::size_t i) {
            if (i >= 2 && components < 2 && isSeparator(path[i])) {
                ++components;
                first = i + 1;
            }
        });
    }

    bool ok = true;
    forEachCharacter(path, [&](std::size_t i) {
        if (!ok || i < first || !isSeparator(path[i])) {
            return;
        }
        const char separator = path[i];
        path[i] = '\0';
        if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES && !CreateDirectoryA(path.c_str(), NULL)) {
            ok = false;
        }
        path[i] = separator;
    });
    return ok;
}
