// Reading settings, desktop entries and records without ever waiting on something that is not a file.
#pragma once

#include <QByteArray>
#include <QString>

#include <sys/stat.h>

namespace vellumry {

// Whether `path` (symbolic links followed) is a regular file. A FIFO, socket, device or folder is not:
// opening one for reading can block for ever or read without end. Otherwise `reason` (when given)
// says why not: "no such file", "not a regular file", "permission denied", ...
// Only stat() is used, so the answer never waits on the file. Any thread.
bool isRegularFile(const QByteArray &path, QString *reason = nullptr);

struct FileContent
{
    bool ok = false;
    int error = 0;      // errno of the step that failed (ENOENT: there is no file), 0 when ok
    QString reason;     // a short text for the user when !ok
    QByteArray content; // the whole file when ok
};

// Reads the whole regular file at `path` (links followed). The file is opened without blocking and
// checked again on the open descriptor, so a FIFO or device put in its place is refused, never read
// from and never waited on. Files above `maxSize` bytes are refused as "too large". Any thread.
FileContent readRegularFile(const QByteArray &path, qint64 maxSize = qint64(64) << 20);

// Replaces the file at `target` (a path without links: resolve them first) with `content`: written to a
// temporary file in the same folder, synced, then renamed over it, so a reader sees the old file or the
// new one, never half of one. The new file gets `mode`; with `before` (the target's stat when it was read)
// it keeps the owner, and a target that changed since (inode, size or time differ) is left alone with the
// answer ESTALE. Answers 0 or the errno that stopped it; no temporary file is left behind. Any thread.
int replaceFileAtomically(const QByteArray &target, const QByteArray &content, unsigned mode,
                          const struct stat *before = nullptr);

// A short text for an errno value: "no such file", "permission denied", ...
QString fileErrorText(int error);

} // namespace vellumry
