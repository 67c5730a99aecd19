// The installed applications: their desktop entries, and what the desktop knows about each one (use
// count and last use, architecture, package version), gathered into application records.
#pragma once

#include "appmanager/PMAppNode.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <optional>

namespace vellumry {

// The keys of a desktop entry's [Desktop Entry] group that the application records use.
struct DesktopEntry
{
    QString type;       // "Application", "Link", ...
    QString name;       // Name, unlocalised
    QString localizedName; // Name in the user's language (Name[xx] by the locale), else Name
    QString exec;       // Exec
    QString tryExec;    // TryExec
    QString icon;       // Icon: a theme icon name or an image file
    QString appImageVersion; // X-AppImage-Version
    bool hidden = false;     // Hidden=true: the entry counts as deleted
    bool noDisplay = false;  // NoDisplay=true: installed, but kept out of the desktop's menus
};

// Reads a desktop entry file. Nothing when the file cannot be read or has no [Desktop Entry] group; a
// FIFO, device or anything else that is not a regular file is never opened.
std::optional<DesktopEntry> loadDesktopEntry(const QString &path);

// The program an entry runs: the first word of TryExec, else of Exec, looked up in PATH when it is not
// an absolute path. Empty when there is none or it is not an executable file.
QString entryExecutable(const DesktopEntry &entry);
// Whether GIO loads the entry as an application, as the desktop's menus do: it refuses one whose TryExec
// or Exec program cannot be found. Never opens anything but a regular file.
bool desktopEntryLoadsInGio(const QString &path);

// The bare program name an entry runs (first word of Exec, without its folder), for matching records of use.
QString entryProgramName(const DesktopEntry &entry);

// The folders that hold desktop entries, in the order they are searched: $XDG_DATA_HOME/applications,
// then each of $XDG_DATA_DIRS (default /usr/local/share:/usr/share) with "/applications".
QStringList applicationFolders();

// Every installed desktop entry: the ".desktop" files of the application folders and their subfolders,
// each desktop-file ID once (the first folder wins), entries marked Hidden and entries of another Type
// than Application (links, folders) left out. Within one folder
// the entries come in the order of their IDs.
QStringList installedDesktopEntries();

// The desktop's record of recent use ($XDG_DATA_HOME/recently-used.xbel): how often and when each
// program last opened a file.
class RecentUseStore
{
public:
    static QString defaultPath();
    // Reads the store once. A store that does not exist holds no uses; one that exists but cannot be read
    // or parsed, or is not a regular file (which is never opened), is unreadable.
    static RecentUseStore load(const QString &path = defaultPath());

    bool readable() const { return m_readable; }

    struct Use
    {
        int count = 0;        // -1: the store could not be read
        QDateTime lastUsed;   // invalid: never
    };
    // The uses of the application that a desktop entry starts: the sum of the count of every application
    // record, over all bookmarks, whose command runs the entry's program or whose name is the entry's
    // name or desktop-file ID; the latest time any of them was used.
    Use useOf(const DesktopEntry &entry, const QString &entryPath) const;

private:
    struct Record
    {
        QString name;
        QString program; // the bare program name of the record's command
        int count = 0;
        QDateTime modified;
    };
    bool m_readable = true;
    QList<Record> m_records;
};

// The uses of whatever `appPath` names: a desktop entry's application, or an executable file run as a
// program (as the tray box holds either). A desktop entry that cannot be loaded was never used.
RecentUseStore::Use recentUseOf(const QString &appPath, const RecentUseStore &uses);

// How many times the application of the desktop entry at `appPath` was used; -1 when the record of
// uses could not be read. An entry that cannot be loaded counts 0.
int GetAppUsedCount(const QString &appPath);

// Whether the program the desktop entry at `appPath` runs is built for 64-bit x86, according to
// /usr/bin/file. NO without running it when the entry has no executable; NO when file fails.
bool is64bitApplicationwithfilepath(const QString &appPath);
// The same test on an executable file itself.
bool is64bitExecutable(const QString &executable);

// The version of the Debian package that owns the file at the absolute path `path`, from the dpkg
// database; empty when no package owns it or dpkg cannot say.
QString packageVersionForPath(const QString &path);
// The version an application record shows: its package's, else the entry's X-AppImage-Version, else
// "1.0.0".
QString applicationVersion(const QString &appPath, const DesktopEntry &entry);

// One record for the desktop entry at `appPath`, or nothing when the entry cannot be loaded.
// lastOpenDate is the last use, or the entry file's modification date when it was never used.
// menuName is the entry's Name in the user's language; hiddenReason says why the desktop's menus leave
// the entry out (NoDisplay, or a program GIO cannot find), empty when they show it.
std::optional<PMAppNodeRef> applicationRecord(const QString &appPath, const RecentUseStore &uses);

// Gives a record of a desktop entry (its appPath) the entry's menu name and, when it has none yet, its
// icon. Records of anything else, and entries that cannot be loaded, stay as they are.
void addMenuNameAndIcon(PMAppNode &node);

// The hand-backs of an inventory; each may be empty.
struct InventoryHandBacks
{
    std::function<void()> LoadTableViewOnMainThread; // after each record appended
    std::function<void()> ScanFinsihOnMainThread;    // once, after the last record
};

// Appends one record per installed application to `fileNadeArray`, in installedDesktopEntries()
// order, without emptying it first, calling LoadTableViewOnMainThread after each one and
// ScanFinsihOnMainThread at the end. Entries that cannot be loaded are left out. When there is no
// entry at all it writes the log line "No find Duplicat files" and calls neither hand-back. Stops
// early, without the finishing hand-back, once `cancelled` becomes true. Returns the records added.
int scanAllApplicationFolder(PMAppNodeList &fileNadeArray, const InventoryHandBacks &handBacks = {},
                             const std::atomic<bool> *cancelled = nullptr);

} // namespace vellumry
