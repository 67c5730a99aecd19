// Moving files and folders without ever overwriting one or losing one.
#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

namespace vellumry {

struct MoveResult
{
    bool ok = false;
    int error = 0;  // errno of the step that failed, 0 when ok
    QString reason; // a short text for the user when !ok
    // Across file systems only: the copy is complete at `to`, but the original could not be removed (in
    // whole or in part). Not a move (ok is false): both are there, and `reason` says why the original stays.
    bool copied = false;
};

// The name prefix of the temporary copies made beside a target during a move across file systems. A copy
// under such a name is never a user's file: one that a killed program left behind may be removed.
inline constexpr char kPartialCopyPrefix[] = ".vellumry-moving-";

// Moves the file, link or folder at `from` to the path `to`.
// - An existing `to` is never replaced: the move fails with EEXIST ("name taken") and nothing changes.
// - On one file system it is a single rename (renameat2 with RENAME_NOREPLACE, so no gap between
//   "does it exist?" and "move"). Where the file system cannot rename without replacing (EINVAL), a file
//   or link is hard-linked to `to` (which fails with EEXIST when the name is taken, in one step) and then
//   unlinked at `from`; a folder is not moved there ("this file system cannot move a folder without the
//   risk of replacing one"), and neither is a file on a file system without hard links.
// - Across file systems the item is copied to a temporary name beside `to` (contents, mode, modification
//   times, links as links), renamed into place without replacing, and only then is the source removed.
//   A copy that fails (disk full, unreadable file) removes what it wrote and leaves the source untouched.
//   `beforeCopy` is told the temporary name before the first byte is written there, so that a caller can
//   record it and a copy cut short by a kill can be found and removed later.
// - A complete copy whose original cannot be removed is reported as `copied`, never as a move.
// Any thread.
MoveResult moveItemAtPath(const QByteArray &from, const QByteArray &to,
                          const std::function<void(const QByteArray &temporary)> &beforeCopy = {});

// For tests: makes the no-replace rename answer EINVAL, as on a file system without it. Any thread.
void simulateNoReplaceRenameUnsupported(bool unsupported);

// Removes the record a Trash keeps of an entry taken back out of it: only a "*.trashinfo" file in an
// "info" folder is touched. Answers 0 or the errno.
int removeTrashRecord(const QByteArray &infoPath);

// Removes the empty folder at `path` (rmdir: a folder that holds anything stays). Answers 0 or the errno.
int removeEmptyFolder(const QByteArray &path);

// Removes a temporary copy that a move cut short by a kill left behind: only a path whose last name starts
// with kPartialCopyPrefix is touched. Answers whether nothing of it is left.
bool removeAbandonedCopy(const QByteArray &temporary);

} // namespace vellumry
