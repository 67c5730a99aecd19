// Lossless conversion between file-system path bytes and the QString paths the program passes around.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>

#include <string>
#include <string_view>

namespace vellumry {

// Linux names are bytes. Valid UTF-8 decodes as usual; every byte that is not part of valid UTF-8
// becomes the lone surrogate U+DC00+byte, so the exact bytes come back from toNativePath().
// File-system calls must use toNativePath(), never QFile::encodeName() or toUtf8(), which lose them.
QString fromNativePath(QByteArrayView bytes);
QByteArray toNativePath(QStringView path);

// The same text with every escaped byte shown as the replacement mark U+FFFD, for labels.
QString displayPath(QStringView path);

// True when the text holds at least one escaped byte (a name that is not valid UTF-8).
bool hasEscapedBytes(QStringView path);

// Appends bytes for a line-oriented listing: tab as \t, newline as \n, backslash as \\, and each byte
// that is not part of valid UTF-8 as \xNN (two lower-case hex digits); everything else unchanged.
void appendEscapedName(std::string &out, std::string_view bytes);

// Joins a folder path and a name with one "/" (none added when the folder already ends in "/").
QByteArray joinNativePath(QByteArrayView folder, QByteArrayView name);

// Path shapes, on bytes; trailing slashes are ignored and "/" stays "/".
QByteArray withoutTrailingSlashes(QByteArrayView path);
// The path without its last component; a single relative component gives the empty path.
QByteArray removingLastPathComponent(QByteArrayView path);
// The last component ("/" for the root): the name of the file or folder the path names.
QByteArray lastPathComponent(QByteArrayView path);
// The path with the working folder put before it when it is relative; nothing resolved.
QByteArray absolutePath(QByteArrayView path);
// "file://" and the absolute path, escaped exactly as GLib escapes it, so the URI matches the ones other
// programs write (the thumbnail cache is keyed by it) and QUrl::fromEncoded() takes it.
QByteArray fileUri(const QByteArray &absolutePath);

// The path the program works on for a path the user typed (a command-line operand, a dropped or chosen
// folder). Relative paths are taken from the working folder. The folder part is resolved through the
// real folders with realpath(3), so "." and ".." go where the kernel goes (".." after a link leaves the
// link's target), while the last name is kept as given: a link named last stays the link itself. A last
// component "." or "..", or the root, resolves the whole path. Trailing slashes are dropped. When the
// folder part cannot be resolved (missing, unreadable), the absolute path with "." and ".." removed as
// text, so the next step reports the missing file. Empty for an empty path, or when a relative path
// meets a working folder that no longer exists. Bytes in, bytes out: any name survives. Any thread.
QByteArray absoluteOperandPath(QByteArrayView path);

// True when the last component of the path as typed is "." or ".." (trailing slashes ignored).
bool endsInDotComponent(QByteArrayView path);

// realpath(3) of the whole path, links included; empty when it cannot be resolved (errno tells why).
QByteArray realPathOf(const QByteArray &path);

// Why the folder at `path` must not be reorganised (classified, or have files moved into it as the main
// folder), or empty when it may be. Compares real paths, however the path is spelled:
//   "no such folder", "not a folder", or a short reason when it cannot be read;
//   "the file-system root"; "the home folder" ($HOME); "a folder holding the home folder";
//   "the Trash": $XDG_DATA_HOME/Trash (default ~/.local/share/Trash), any folder named ".Trash" or
//   ".Trash-UID" (the trash folders at the top of other disks), and anything inside them.
// Any thread; reads the environment and the disk on every call.
QString mainFolderRefusal(const QByteArray &path);

// The part of mainFolderRefusal() that needs no folder: why the item at the real path `realPath` is one
// of the user's protected places (root, home, above home, the Trash), or empty.
QString protectedPlaceReason(const QByteArray &realPath);

} // namespace vellumry
