// The shared thumbnail cache: entry names, validity, and atomic writes.
#include "platform/ThumbnailCache.h"

#include "platform/NativePath.h"
#include "platform/RegularFile.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QImageReader>

#include <cerrno>
#include <cstdlib>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vellumry {

using namespace Qt::StringLiterals;

namespace {

const QString kUriKey = u"Thumb::URI"_s;
const QString kMTimeKey = u"Thumb::MTime"_s;

QByteArray md5Name(const QByteArray &uri)
{
    return QCryptographicHash::hash(uri, QCryptographicHash::Md5).toHex() + ".png";
}

// Makes each missing folder down to `base/relative` with mode 0700.
int makeFolders(const QByteArray &base, const QByteArray &relative)
{
    if (const int error = makeThumbnailCacheFolder())
        return error;
    QByteArray path = base;
    for (const QByteArray &part : relative.split('/')) {
        path += '/' + part;
        if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
            return errno;
    }
    return 0;
}

QImage readPng(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {};
    struct stat st;
    QFile file;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return {};
    }
    QImageReader reader(&file, "png");
    return reader.read();
}

bool matches(const QImage &image, const ThumbnailKey &key)
{
    return !image.isNull() && image.text(kUriKey) == QString::fromUtf8(key.uri) &&
           image.text(kMTimeKey).trimmed() == QString::number(key.mtime);
}

int writeEntry(QImage image, const ThumbnailKey &key, const QByteArray &relativeFolder)
{
    image.setText(kUriKey, QString::fromUtf8(key.uri));
    image.setText(kMTimeKey, QString::number(key.mtime));
    QByteArray png;
    QBuffer buffer(&png);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "png"))
        return EIO;
    const QByteArray base = thumbnailCacheFolder();
    if (const int error = makeFolders(base, relativeFolder))
        return error;
    return replaceFileAtomically(base + '/' + relativeFolder + '/' + md5Name(key.uri), png, 0600);
}

} // namespace

int thumbnailPixels(ThumbnailSize size)
{
    return size == ThumbnailSize::Large ? 256 : 128;
}

ThumbnailSize thumbnailSizeFor(int pixels)
{
    return pixels > 128 ? ThumbnailSize::Large : ThumbnailSize::Normal;
}

std::optional<ThumbnailKey> thumbnailKeyOf(const QByteArray &nativePath, QString *reason)
{
    const QByteArray path = absolutePath(nativePath);
    struct stat st;
    if (::stat(path.constData(), &st) != 0) {
        if (reason)
            *reason = fileErrorText(errno);
        return std::nullopt;
    }
    if (!S_ISREG(st.st_mode)) {
        if (reason)
            *reason = u"not a regular file"_s;
        return std::nullopt;
    }
    return ThumbnailKey{path, fileUri(path), qint64(st.st_mtim.tv_sec)};
}

QByteArray thumbnailCacheFolder()
{
    const QByteArray xdg = qgetenv("XDG_CACHE_HOME");
    return (xdg.startsWith('/') ? xdg : QByteArray(qgetenv("HOME") + "/.cache")) + "/thumbnails";
}

int makeThumbnailCacheFolder()
{
    const QByteArray folder = thumbnailCacheFolder();
    for (qsizetype slash = folder.indexOf('/', 1);; slash = folder.indexOf('/', slash + 1)) {
        const QByteArray part = slash < 0 ? folder : folder.left(slash);
        if (::mkdir(part.constData(), 0700) != 0 && errno != EEXIST)
            return errno;
        if (slash < 0)
            return 0;
    }
}

QByteArray makeThumbnailScratch()
{
    QByteArray path = thumbnailCacheFolder() + "/.vellumry-XXXXXX.png";
    const int fd = ::mkstemps(path.data(), 4);
    if (fd < 0)
        return {};
    ::close(fd);
    return path;
}

void removeThumbnailScratch(const QByteArray &path)
{
    const QByteArray prefix = thumbnailCacheFolder() + "/.vellumry-";
    if (path.startsWith(prefix) && path.endsWith(".png") && !path.mid(prefix.size()).contains('/'))
        ::unlink(path.constData());
}

QByteArray thumbnailCacheFile(const QByteArray &uri, ThumbnailSize size)
{
    return thumbnailCacheFolder() + (size == ThumbnailSize::Large ? "/large/" : "/normal/") + md5Name(uri);
}

QByteArray thumbnailFailFile(const QByteArray &uri)
{
    return thumbnailCacheFolder() + "/fail/vellumry-" VELLUMRY_VERSION "/" + md5Name(uri);
}

QImage readCachedThumbnail(const ThumbnailKey &key, ThumbnailSize size)
{
    const QImage image = readPng(thumbnailCacheFile(key.uri, size));
    return matches(image, key) ? image : QImage();
}

bool hasFailRecord(const ThumbnailKey &key)
{
    return matches(readPng(thumbnailFailFile(key.uri)), key);
}

int storeThumbnail(const QImage &image, const ThumbnailKey &key, ThumbnailSize size)
{
    if (image.isNull())
        return EINVAL;
    const int pixels = thumbnailPixels(size);
    QImage fitted = image.width() > pixels || image.height() > pixels
                        ? image.scaled(pixels, pixels, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                        : image;
    return writeEntry(std::move(fitted), key, size == ThumbnailSize::Large ? "large" : "normal");
}

int storeFailRecord(const ThumbnailKey &key)
{
    QImage empty(1, 1, QImage::Format_ARGB32);
    empty.fill(Qt::transparent);
    return writeEntry(std::move(empty), key, "fail/vellumry-" VELLUMRY_VERSION);
}

} // namespace vellumry
