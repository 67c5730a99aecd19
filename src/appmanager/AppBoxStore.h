// The tray box of favourite applications as the user's defaults keep it: which paths may go in, the
// stored list of paths, and the record each path becomes.
#pragma once

#include "appmanager/PMAppNode.h"
#include "platform/DesktopServices.h"

#include <QString>
#include <QStringList>

namespace vellumry {

class Settings;

namespace AppBoxStore {

// The defaults key holding the box's application paths, in the order they were added.
inline const QString kKey = QStringLiteral("AppBoxDataArray");

// Whether a path may go into the box: a desktop entry that loads as an application, or an executable
// file. Otherwise `reason` says why not ("no such file", "a folder", "not a regular file" for a FIFO,
// socket or device, which is never opened, "not a usable desktop entry", "not executable").
struct Acceptance
{
    bool ok = false;
    QString reason;
};
Acceptance accepts(const QString &path);

// The stored paths, in order; empty when there are none.
QStringList storedPaths(Settings &settings);
// Appends the paths to the stored list and writes it out at once. False when it could not be written.
bool appendPaths(Settings &settings, const QStringList &paths);
// Removes every stored entry equal to `path` and writes the list out at once. Answers how many went
// (0: none was there, -1: the list could not be written).
int removeEveryEntry(Settings &settings, const QString &path);

// The record a box entry becomes: the path, its file name as the name, the desktop entry's icon, and the
// last use the desktop recorded (`lastUsed`, when valid), else the file's modification time. The use
// count stays 0.
PMAppNodeRef makeRecord(const QString &path, const QDateTime &lastUsed = {});

// The name a desktop entry shows in menus ("Calculator"); empty for anything else.
QString displayName(const QString &path);

// Starts the application: a desktop entry through GIO (as a menu would), an executable file as a
// program of its own, its working folder the home folder.
ActionResult launchApplication(const QByteArray &nativePath);

} // namespace AppBoxStore
} // namespace vellumry
