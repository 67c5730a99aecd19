// Editing the user's mimeapps.list by hand, line by line, so that everything else in it stays.
#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace vellumry {

// The text of a mimeapps.list in which `desktopId` is the default application of `contentType`, as
// GIO's own setting of a default would leave it:
// - [Default Applications]: the type's key holds the ID alone;
// - [Added Associations]: the ID comes first in the type's list (once), the others keep their order;
// - [Removed Associations]: the ID is taken out of the type's list (the line goes when nothing is left).
// Only those lines change. Every other byte stays: comments, blank lines, other groups and keys, their
// order and line ends. Where a key occurs more than once, the last one (the one GIO reads) is changed.
// A missing key is added after the last key of its group (before the blank lines that end it), a
// missing group at the end of the file.
// Nothing, with `reason` set, when the text does not parse as a key file the way GLib reads one: a line
// that is neither blank, a "#" comment, a "[group]" nor a "key=value" (or one before the first group),
// or a line that is not valid UTF-8 or holds a NUL byte.
std::optional<QByteArray> mimeappsWithDefault(const QByteArray &text, const QByteArray &contentType,
                                              const QByteArray &desktopId, QString *reason = nullptr);

struct MimeappsWrite
{
    bool ok = false;
    QString reason; // a short text for the user when !ok
};

// Makes `desktopId` the default of `contentType` in the mimeapps.list at `path` (mimeappsWithDefault).
// - A missing file is created, with mode 0600 as GIO creates it (its folder with 0700 when missing).
// - A symbolic link stays a link: the file it leads to is the one rewritten. A link to nothing is refused.
// - The new text is written to a temporary file beside the real one, flushed to disk, given the old
//   file's mode, and renamed over it, so a crash leaves the old file or the new one, never a mix.
// - Refused, the file untouched: a file that does not parse, one that is not a regular file (never
//   opened), one the user may not write (no write permission, or no owner-write bit in its mode, which
//   also holds for root), one that changed while it was being edited, or a folder that cannot be written.
// When the text would not change, nothing is written. Any thread; not safe against itself on one file.
MimeappsWrite setDefaultInMimeappsList(const QByteArray &path, const QByteArray &contentType,
                                       const QByteArray &desktopId);

} // namespace vellumry
