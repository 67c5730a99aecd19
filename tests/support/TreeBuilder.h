// Real files and folders for tests, named by raw path bytes.
#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QMap>

#include <optional>

#include <sys/types.h>

namespace vellumry::test {

// Builds a tree below a root folder. Relative paths are bytes, so names need not be valid UTF-8; they
// use "/" between components and are never checked for "..".
//
// Every step either succeeds or ends the test program with qFatal() naming the path and the error: a
// fixture that silently came out wrong must never look like a passing test. Tests that take
// permissions away must give them back before calling snapshot() or letting the root be deleted.
class TreeBuilder
{
public:
    // Creates root (and its parents) when missing.
    explicit TreeBuilder(QByteArray root);

    QByteArray root() const { return m_root; }
    // root + "/" + rel; root itself for an empty rel.
    QByteArray path(QByteArrayView rel) const;

    // A regular file of `size` bytes, replacing any file already there, with parent folders created as
    // needed. The content is a pseudo-random stream seeded by `rel`: the same relative path always
    // gives the same bytes, and different paths give different checksums (for sizes of a few bytes
    // up). With mtimeSecs, both access and modification time are set to it. Returns the full path.
    QByteArray file(QByteArrayView rel, qint64 size = 0, std::optional<qint64> mtimeSecs = {});
    // A folder with its parents (mkdir -p); an existing folder is fine.
    QByteArray dir(QByteArrayView rel);
    // A symbolic link at rel whose target is exactly `target` (not resolved, may dangle).
    QByteArray symlink(QByteArrayView rel, QByteArrayView target);
    // chmod() of rel, following a link.
    void chmod(QByteArrayView rel, mode_t mode);

    struct Entry
    {
        char type = '?';       // 'f' file, 'd' folder, 'l' symbolic link, '?' anything else
        qint64 size = 0;       // file size; link target length; 0 for folders and others
        QByteArray sha256;     // lower-case hex checksum of a file's content, empty otherwise
        QByteArray linkTarget; // a link's target, empty otherwise
        friend bool operator==(const Entry &, const Entry &) = default;
    };
    using Snapshot = QMap<QByteArray, Entry>;

    // Every entry below root, hidden ones included, keyed by relative path; links are recorded, not
    // followed. Reads every file in full.
    Snapshot snapshot() const;
    // The checksums of all files in a snapshot, sorted: equal lists before and after an operation mean
    // no file content was lost or duplicated, wherever the files ended up.
    static QList<QByteArray> fileChecksums(const Snapshot &snapshot);

private:
    QByteArray m_root;
};

} // namespace vellumry::test
