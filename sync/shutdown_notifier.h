// The hidden window that restores the RAM disk when it is made and saves it
// when the session ends or the window is destroyed; it holds the settings.
#pragma once

#include "framework/window.h"

#include <string>

// The identity of a directory: the same only while it is the very same directory.
struct DirectoryIdentity {
    // True when the directory existed and its identity was read.
    bool known = false;
    DWORD volumeSerial = 0;
    DWORD indexHigh = 0;
    DWORD indexLow = 0;

    bool operator==(const DirectoryIdentity& other) const;
};

// The system's one window object.
class ShutdownNotifier : public pelkolib::Window {
public:
    // Loads, normalises and checks the settings; may write the settings template.
    ShutdownNotifier();
    // Releases the paths; leaves the window as it is.
    ~ShutdownNotifier() override;

    // Registers the class, makes the hidden window, binds to it and has the restore run.
    void create(HWND parent) override;
    // Restores on WM_CREATE, saves on WM_QUERYENDSESSION and WM_DESTROY.
    LRESULT windowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

    // Copies everything in the backup directory into the RAM-disk directory.
    void restore();
    // Makes the backup a copy of the RAM disk and copies it into the second backup.
    void save();

    // True when every directory along `path` exists or was created.
    bool ensureDirectoryChain(std::string path);

    // The settings file's path for an executable path.
    static std::string settingsPathFor(const std::string& modulePath);
    // Appends a separator unless the path already ends in one (lead bytes considered).
    static void appendSeparator(std::string& path);
    // True when the path's last character is a separator (lead bytes considered).
    static bool endsInSeparator(const std::string& path);

    // The RAM disk's directory.
    std::string ramDiskPath;
    // The backup directory.
    std::string backupPath;
    // The optional second backup directory; empty means none.
    std::string backupPath2;
    // True when the settings can be used.
    bool ready;

    // Whether this run's restore brought every entry of the backup into the RAM disk.
    bool restoreComplete;
    // The RAM-disk directory's identity right after the restore.
    DirectoryIdentity restoredIdentity;
    // The backup directory's identity right after the restore.
    DirectoryIdentity restoredBackupIdentity;

private:
    // Reads the settings file and checks the directories.
    void loadSettings();
    // True when the save may delete from the backup: the restore was complete and both
    // directories are still the ones it worked on.
    bool mayDeleteFromBackup() const;
};

// The window class of the notifier's window.
extern const char kShutdownNotifierClass[];
