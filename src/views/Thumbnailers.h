// Thumbnails of every kind through the thumbnailers the desktop has installed, kept in the shared cache.
#pragma once

#include "platform/ThumbnailCache.h"

#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

namespace vellumry {

// One installed thumbnailer: a thumbnailers/*.thumbnailer key file, group "Thumbnailer Entry".
struct Thumbnailer
{
    QByteArray entryPath;  // the key file it was read from
    QByteArray program;    // Exec's program, found in PATH: an absolute path
    QString exec;          // the Exec line as written, field codes and all
    QStringList mimeTypes; // as listed, each made canonical (an alias becomes its type's name)
};

// The thumbnailers of $XDG_DATA_HOME and then each folder of $XDG_DATA_DIRS (default
// /usr/local/share:/usr/share), each folder's files in name order. Entries whose TryExec or Exec program
// cannot be found, or without Exec or MimeType, are left out. For a MIME type listed by several, the
// first found wins, so the user's own thumbnailers come before the system's. Immutable once built: any
// thread may read it.
class ThumbnailerRegistry
{
public:
    static ThumbnailerRegistry fromEnvironment();

    // The thumbnailer for the type named, else for its nearest parent type that has one; nullptr when
    // none does.
    const Thumbnailer *forMimeType(const QString &mimeType) const;
    const QList<Thumbnailer> &thumbnailers() const { return m_thumbnailers; }

private:
    QList<Thumbnailer> m_thumbnailers;
    QHash<QString, qsizetype> m_byType; // canonical MIME type name -> index
};

// The arguments of an Exec line, split as desktop entries are (words separated by blanks, double quotes
// keeping blanks, and \" \` \$ \\ inside them), with the field codes filled: %i the input path, %u its
// URI, %o the output path, %s the size in pixels, %% a percent sign; other codes are dropped. The first
// word is the program. Nothing for an unterminated quote or an empty line. The paths go in as bytes.
std::optional<QList<QByteArray>> thumbnailerArguments(const QString &exec, const QByteArray &input,
                                                      const QByteArray &uri, const QByteArray &output,
                                                      int size);

// The MIME type of the file, from its name and, when the name says nothing sure, its first bytes.
QString mimeTypeOfFile(const QByteArray &nativePath);

struct ThumbnailResult
{
    QImage image;         // null when there is none
    QByteArray cacheFile; // the cache entry holding it; empty when it was not stored
    QString failure;      // why there is no image, or why it could not be stored
    bool succeeded() const { return !image.isNull() && !cacheFile.isEmpty(); }
};

// Makes a file's thumbnail, or finds it, in the shared cache. Thread-safe: workers call make() at once.
class ThumbnailMaker
{
public:
    enum class Sources : quint8
    {
        ThumbnailersOnly,        // the caller decodes pictures itself
        PicturesAndThumbnailers, // pictures Qt reads are decoded here and stored too
    };
    static constexpr int kDefaultTimeoutMs = 10'000;
    static constexpr int kMaxRunning = 2; // thumbnailers running at once in the whole process

    explicit ThumbnailMaker(ThumbnailerRegistry registry, int timeoutMs = kDefaultTimeoutMs);

    // In turn: a valid cache entry at `size` (the other size is not looked at); a failure this program
    // recorded for the file as it is (not tried again); with PicturesAndThumbnailers, Qt's own decoding;
    // the thumbnailer for the file's type, run as a child process with the time limit (killed when it is
    // over) and at most kMaxRunning at once, its output read back and checked. A made thumbnail is
    // stored with the file's URI and modification time; a failed attempt is recorded under fail/. A file
    // no thumbnailer takes gets only a failure ("no thumbnailer for TYPE"), no record.
    ThumbnailResult make(const QByteArray &nativePath, ThumbnailSize size, Sources sources) const;

    const ThumbnailerRegistry &registry() const { return m_registry; }

private:
    ThumbnailResult runThumbnailer(const Thumbnailer &thumbnailer, const ThumbnailKey &key,
                                   ThumbnailSize size) const;

    ThumbnailerRegistry m_registry;
    int m_timeoutMs;
};

// One maker for the whole program, its registry read from the environment on first use (on the thread
// that first asks, so ask from a worker).
std::shared_ptr<const ThumbnailMaker> sharedThumbnailMaker();

} // namespace vellumry
