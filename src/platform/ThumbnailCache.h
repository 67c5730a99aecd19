// The thumbnail cache every desktop program shares: $XDG_CACHE_HOME/thumbnails, as the freedesktop
// thumbnail convention lays it out.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

#include <optional>

namespace vellumry {

// The two sizes of the cache: "normal" thumbnails fit in 128x128 pixels, "large" ones in 256x256.
enum class ThumbnailSize : quint8
{
    Normal,
    Large,
};
int thumbnailPixels(ThumbnailSize size);
// The smallest cache size that holds a thumbnail of `pixels` without enlarging it (Large above 128).
ThumbnailSize thumbnailSizeFor(int pixels);

// What the cache knows a file by: its URI (fileUri() of the absolute path bytes) and its modification
// time in whole seconds. An entry is valid only while both match the file.
struct ThumbnailKey
{
    QByteArray nativePath; // absolute
    QByteArray uri;
    qint64 mtime = 0;
};

// The key of the regular file at `nativePath` (links followed; a relative path is taken from the
// working folder), or nothing with `reason` ("no such file", "not a regular file", ...) set.
std::optional<ThumbnailKey> thumbnailKeyOf(const QByteArray &nativePath, QString *reason = nullptr);

// $XDG_CACHE_HOME/thumbnails (~/.cache/thumbnails without it), read from the environment on each call.
QByteArray thumbnailCacheFolder();
// Makes the cache folder, and the folders above it that are missing, with mode 0700. 0 or the errno.
int makeThumbnailCacheFolder();
// A new empty file in the cache folder for a thumbnailer to write into ("<cache>/.vellumry-XXXXXX.png",
// mode 0600), or an empty path when it cannot be made (errno tells why). removeThumbnailScratch() takes
// it away again; it touches nothing but such a file in the cache folder.
QByteArray makeThumbnailScratch();
void removeThumbnailScratch(const QByteArray &path);
// <cache>/normal|large/<md5 of the URI in hex>.png
QByteArray thumbnailCacheFile(const QByteArray &uri, ThumbnailSize size);
// <cache>/fail/vellumry-<version>/<md5 of the URI in hex>.png: this program could not make one.
QByteArray thumbnailFailFile(const QByteArray &uri);

// The cached thumbnail of `key` at `size`, or a null image when there is none, it cannot be read, or
// its Thumb::URI or Thumb::MTime chunk is missing or differs from the key (made from another file, or
// from an older version of this one). Never blocks on anything but a regular file. Any thread.
QImage readCachedThumbnail(const ThumbnailKey &key, ThumbnailSize size);
// True when this program recorded a failure for the file as it is now (a record of an older version of
// the file does not count, so a changed file is tried again).
bool hasFailRecord(const ThumbnailKey &key);

// Stores `image` as the thumbnail of `key`: shrunk to fit the size when larger, with the Thumb::URI and
// Thumb::MTime chunks, written to a temporary file in the cache folder and renamed over the entry, so a
// reader sees the old entry or the new one, never half of one. Folders are made with mode 0700 and the
// file gets 0600. Answers 0 or the errno that stopped it (EINVAL for a null image). Any thread.
int storeThumbnail(const QImage &image, const ThumbnailKey &key, ThumbnailSize size);
// Records that no thumbnail can be made of `key`: an empty (1x1 transparent) PNG with the same chunks,
// under fail/vellumry-<version>/, written the same way. Answers 0 or the errno.
int storeFailRecord(const ThumbnailKey &key);

} // namespace vellumry
