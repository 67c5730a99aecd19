// What the desktop knows about file types and the applications that open them: the content type of an
// extension, its default application, the setting of that default, and the applications that open the
// extensions the program knows, grouped by application. The answers come from GIO, which reads the
// freedesktop mimeapps.list files, so they are the ones the file manager gives; a new default is written
// into the user's mimeapps.list by the program itself, changing only the lines it must.
//
// No function keeps state or caches an answer; each asks GIO again, and they may run on any thread.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace vellumry {

// The MIME type of a file named "x.EXT" by its name alone (shared-mime-info's globs, letter case as
// they allow). An extension the database does not know gets "application/x-extension-ext" (lower case),
// which has no default application until one is set. An extension that could not stand in a file name
// or in mimeapps.list (empty, or holding "/", white space, control characters, "=", ";", "[" or "]")
// has no type: the empty text.
QString GetUTIforFileExtension(const QString &extension);

// The path of the desktop entry that opens files of this extension by default, or "(null)" when there is
// none, or when one of the association files GIO reads (mimeapps.list and the like) is not a regular file
// (a FIFO, which GIO would wait on for ever).
QString GetDefaultApplicationForFileExtension(const QString &extension);

// Makes the application with this desktop-file ID the default for the extension's content type, in the
// user's $XDG_CONFIG_HOME/mimeapps.list (setDefaultInMimeappsList: every other byte of the file stays, a
// link stays a link, a file that does not parse or may not be written is refused untouched), then waits
// (a few seconds at most) until GIO reads the new default back. Answers 0 when done, otherwise one of
// the codes below with a short reason for the user in `reason` (when given). A desktop entry that is not
// a regular file (a FIFO) is never handed to GIO, which would wait on it for ever.
enum DefaultApplicationStatus : int {
    kDefaultSet = 0,
    kDefaultRefused = 1,       // the setting could not be written, or GIO does not read it back
    kNoSuchApplication = 2,    // no identifier, or none that resolves to an installed application
    kNoContentType = 3,        // the extension has no content type
};
int setMyselfAsDefaultApplicationForFileExtension(const QString &extension, const QString &bundleIdentifier,
                                                  QString *reason = nullptr);

// The desktop-file ID (for example "org.example.Viewer.desktop") of the installed application with this
// desktop file name, found in the XDG application folders the way GIO finds one; ".desktop" may be left
// off. Empty when there is no such application (or the name is a path, or the entry is hidden).
QString GetBundleIdentifierForApplicationName(const QString &name);

// One application of the application map, with the extensions it opens in the order of the kind tables.
struct ApplicationEntry
{
    QString path; // the desktop entry, as GetDefaultApplicationForFileExtension gives it
    QStringList extensions;
    bool operator==(const ApplicationEntry &) const = default;
};
// The applications in the order they were first met; each occurs once.
using ApplicationMap = QList<ApplicationEntry>;

// The default application of every extension of GetImageArray(), grouped by application: extensions
// without one are left out, and each extension occurs once per application even where the tables repeat
// it. Writes the finished map to the log as "theDict==..." under the program's logging category.
ApplicationMap getImageApplicationDiction();

// The map as the log line shows it: {"path": (EXT, EXT), ...}.
QString applicationMapDescription(const ApplicationMap &map);

} // namespace vellumry
