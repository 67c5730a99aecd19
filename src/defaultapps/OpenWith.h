// The open-with editor's work that needs no window: the application list it edits, the one-time grant
// of a folder, and handing extensions from one application to another.
#pragma once

#include "appmanager/PMAppNode.h"
#include "appmanager/PRUninstallFileNode.h"
#include "defaultapps/LaunchServices.h"

#include <QFuture>
#include <QSharedPointer>
#include <QString>
#include <QStringList>

namespace vellumry {

class Settings;

// The kind of the documents an application opens, judged by the first extension of its list alone:
// "Image", "Video", "Audio", "Document" or "Archive" (tables tried in that order), or empty for an empty
// list or an extension in no table.
QString getAppType(const QStringList &extensions);

// One record per application of the map, in the map's order: appName is the desktop file's name, appPath
// its path, fileChildren its extensions and appType the kind from getAppType (empty when there is none).
PMAppNodeList openWithNodes(const ApplicationMap &map);

// openWithNodes(getImageApplicationDiction()): asks GIO once per extension of the kind tables, so call it
// off the GUI thread, or through the asynchronous form.
PMAppNodeList ScanOpenWithApplications();
QFuture<PMAppNodeList> ScanOpenWithApplicationsAsync();

// The user's grant of a folder, kept as the folder's path under this key of the user's defaults.
inline const QString kUserDataGrantKey = QStringLiteral("KestrowUserData");
// The granted folder, or empty when there is no grant or the folder no longer exists or cannot be read.
QString grantedUserFolder(const Settings &settings);
// Stores the folder and writes the defaults to disk at once. False when the defaults could not be written.
bool storeUserFolderGrant(Settings &settings, const QString &folder);

// The extensions of the ticked rows of the application file sheet, in row order.
QStringList tickedExtensions(const PRUninstallFileNodeList &rows);

// The desktop-file ID of the application whose desktop file the user chose, as GIO resolves it: inside
// an application folder by the ID its place there gives (a file in a subfolder "kde/viewer.desktop" is
// "kde-viewer.desktop"), anywhere else by its file name alone. Empty when nothing installed answers to it.
QString desktopIdForChosenFile(const QString &path);

// The outcome of handing one extension to an application.
struct HandOverOutcome
{
    QString extension;
    int status = kDefaultSet; // as setMyselfAsDefaultApplicationForFileExtension answers
    QString reason;
};
// Makes the application the default of each extension, in order.
QList<HandOverOutcome> handExtensionsTo(const QStringList &extensions, const QString &bundleIdentifier);
// One line for the window: "JPG, PNG now open with viewer.desktop", with the failures after it.
QString handOverSummary(const QList<HandOverOutcome> &outcomes, const QString &applicationName);

} // namespace vellumry
