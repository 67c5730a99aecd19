// Pictures and videos recording chosen dates, made by the tests themselves: JPEGs whose tags Exiv2 writes,
// videos that ffmpeg muxes from a generated colour.
#pragma once

#include "platform/ChildProcess.h"

#include <QFile>
#include <QStandardPaths>
#include <QStringList>

#include <exiv2/exiv2.hpp>

namespace vellumry::test {

// A small JPEG at `path` with each "Key=value" tag ("Exif.Photo.DateTimeOriginal=2021:03:04 23:30:00",
// "Xmp.photoshop.DateCreated=2019-07-04"). Answers whether it was written.
inline bool writeTaggedJpeg(const QByteArray &path, const QStringList &tags)
{
    try {
        auto image = Exiv2::ImageFactory::create(Exiv2::ImageType::jpeg, path.toStdString());
        for (const QString &tag : tags) {
            const std::string key = tag.section(u'=', 0, 0).toStdString();
            const std::string value = tag.section(u'=', 1).toStdString();
            if (tag.startsWith(u"Xmp."))
                image->xmpData()[key] = value;
            else
                image->exifData()[key] = value;
        }
        image->writeMetadata();
        return true;
    } catch (const std::exception &) {
        return false;
    }
}

// A one-second 64x48 video at `path` (its extension chooses the container), muxed with `options` added
// before the output ("-metadata", "creation_time=..."). Answers whether ffmpeg made it.
inline bool muxVideo(const QByteArray &path, const QByteArrayList &options)
{
    const QByteArray ffmpeg = QFile::encodeName(QStandardPaths::findExecutable(QStringLiteral("ffmpeg")));
    return !ffmpeg.isEmpty() && runProcess(ffmpeg,
                                           QByteArrayList{"-loglevel", "error", "-y", "-f", "lavfi", "-i",
                                                          "color=c=blue:s=64x48:d=1"} +
                                               options + QByteArrayList{path},
                                           30000)
                                    .succeeded();
}

} // namespace vellumry::test
