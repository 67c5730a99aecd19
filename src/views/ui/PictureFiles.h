// Reading pictures for thumbnails and previews: scaled while decoding, by exact path bytes, on any thread.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>
#include <QStringView>

class QFile;

namespace vellumry {

// Opens a regular file read-only by its exact path bytes. Refuses folders, pipes and devices without
// blocking on them, so a named pipe that nobody writes to cannot hang a worker.
bool openRegularFile(QFile &file, const QByteArray &nativePath);

// The picture in the file, decoded at a size that fits in `bound` keeping its aspect ratio (never
// enlarged), turned upright by its EXIF orientation. Formats that can decode at a reduced size (JPEG,
// SVG) never build the full-size image. A null image when the file cannot be read as a picture.
QImage readScaledPicture(const QByteArray &nativePath, QSize bound);

// Page 1 of a PDF rendered on white to fit in `bound`, keeping its aspect ratio. Null on failure.
QImage renderPdfFirstPage(const QByteArray &nativePath, QSize bound);

// True when the path's last component ends in ".pdf", in any letter case.
bool hasPdfExtension(QStringView path);

// `size` scaled to fit in `bound`, keeping the aspect ratio, never enlarged; at least 1x1.
QSize fitWithin(QSize size, QSize bound);

} // namespace vellumry
