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

// Starts an application: a desktop entry (a regular ".desktop" file, launched as the desktop would, its
// output going nowhere) or an executable program (started in the home folder, detached). Answers once
// it is started.
ActionResult startApplication(const QByteArray &nativePath);

// Shows a web page or file URL in the user's default browser or application.
ActionResult openUrl(const QByteArray &url);

// Moves the file or folder to the desktop's Trash, where the file manager can restore it from. A relative
// path is taken from the working folder. Refused: a path ending in "." or "..", and (unless it is a link)
// the file-system root, the home folder, a folder holding it and the Trash (see protectedPlaceReason()).
ActionResult moveToTrash(const QByteArray &nativePath);

// Everything the program asks of the desktop, as one object handed to each part that acts on it (the
// window, the applications page, the box), so tests replace it with one fake. The defaults are the
// functions above and interfaceStyle() of Appearance.h. Any thread, unless an override says otherwise.
class DesktopServices
{
public:
    virtual ~DesktopServices() = default;
    virtual ActionResult open(const QByteArray &nativePath) { return openWithDefaultApplication(nativePath); }
    virtual ActionResult reveal(const QByteArray &nativePath) { return revealInFileManager(nativePath); }
    virtual ActionResult trash(const QByteArray &nativePath) { return moveToTrash(nativePath); }
    virtual ActionResult launch(const QByteArray &nativePath) { return startApplication(nativePath); }
    virtual ActionResult showUrl(const QByteArray &url) { return openUrl(url); }
    virtual QString interfaceStyle(); // "Dark" when the desktop prefers dark, else empty

    // One instance of the defaults for the whole program.
    static DesktopServices &system();
};

} // namespace vellumry
