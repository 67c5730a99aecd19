// Moving files and folders without ever overwriting one or losing one.
#pragma once

#include <QByteArray>
#include <QString>

namespace vellumry {

struct MoveResult
{
    bool ok = false;
    int error = 0;  // errno of the step that failed, 0 when ok
    QString reason; // a short text for the user when !ok (or when the source could not be removed after a copy)
};

// Moves the file, link or folder at `from` to the path `to`.
// - An existing `to` is never replaced: the move fails with EEXIST ("name taken") and nothing changes.
// - On one file system it is a single rename (renameat2 with RENAME_NOREPLACE, so no gap between
//   "does it exist?" and "move").
// - Across file systems the item is copied to a temporary name beside `to` (contents, mode, modification
//   times, links as links), renamed into place without replacing, and only then is the source removed.
//   A copy that fails (disk full, unreadable file) removes what it wrote and leaves the source untouched.
// Any thread.
MoveResult moveItemAtPath(const QByteArray &from, const QByteArray &to);

} // namespace vellumry
