// What the desktop does with a file for the user: open it, show it in the file manager, trash it.
#pragma once

#include <QByteArray>
#include <QString>

namespace vellumry {

struct ActionResult
{
    bool ok = false;
    QString reason; // when !ok, a short text for the user: "no such file", "permission denied", ...
};

// Opens the file with the default application of its content type, as the user chose it in
// mimeapps.list; a folder opens in the default file manager. Answers once the application is started.
ActionResult openWithDefaultApplication(const QByteArray &nativePath);

// Shows the file selected in a window of the file manager (org.freedesktop.FileManager1 on the session
// bus). Without a file manager that answers, opens the file's folder with its default application.
ActionResult revealInFileManager(const QByteArray &nativePath);

// Moves the file or folder to the desktop's Trash, where the file manager can restore it from. A relative
// path is taken from the working folder. Refused: a path ending in "." or "..", and (unless it is a link)
// the file-system root, the home folder, a folder holding it and the Trash (see protectedPlaceReason()).
ActionResult moveToTrash(const QByteArray &nativePath);

} // namespace vellumry
