// Media file writers for the view tests.
#include "MediaFiles.h"

#include <QBuffer>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QtEndian>
#include <QtMath>

#include <cstdio>

namespace vellumry::test {

namespace {

// Little-endian fields, as RIFF files and TIFF headers marked "II" store them.
void put16(QByteArray &out, quint32 value)
{
    const quint16 v = qToLittleEndian(quint16(value));
    out.append(reinterpret_cast<const char *>(&v), 2);
}

void put32(QByteArray &out, quint32 value)
{
    const quint32 v = qToLittleEndian(value);
    out.append(reinterpret_cast<const char *>(&v), 4);
}

QByteArray chunk(const char (&id)[5], const QByteArray &body)
{
    QByteArray out(id, 4);
    put32(out, quint32(body.size()));
    out += body;
    if (body.size() % 2)
        out.append('\0'); // chunks start on even offsets
    return out;
}

QByteArray encode(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, format))
        qFatal("cannot encode a %s picture", format);
    return bytes;
}

QByteArray extensionOf(const QByteArray &path)
{
    const qsizetype dot = path.lastIndexOf('.');
    return dot < 0 ? QByteArray() : path.mid(dot + 1).toLower();
}

} // namespace

IKImageItemRef fileItem(const QByteArray &path, FileKind kind)
{
    const qsizetype slash = path.lastIndexOf('/');
    return IKImageItem::makeEntry(ScanFolderRef(new ScanFolder(path.left(slash))), path.mid(slash + 1), kind,
                                  0, std::nullopt);
}

void writeBytes(const QByteArray &path, const QByteArray &content)
{
    FILE *file = std::fopen(path.constData(), "wb");
    if (!file)
        qFatal("cannot create %s", path.constData());
    const bool ok =
        std::fwrite(content.constData(), 1, size_t(content.size()), file) == size_t(content.size());
    if (std::fclose(file) != 0 || !ok)
        qFatal("cannot write %s", path.constData());
}

void writePicture(const QByteArray &path, QSize size, const QColor &color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    writeBytes(path, encode(image, extensionOf(path).constData()));
}

void writeTurnedJpeg(const QByteArray &path, QSize stored, const QColor &color, int stripe,
                     const QColor &stripeColor)
{
    QImage image(stored, QImage::Format_RGB32);
    image.fill(color);
    QPainter(&image).fillRect(0, 0, stripe, stored.height(), stripeColor);
    QByteArray jpeg = encode(image, "jpg");

    // An APP1 segment with one TIFF field, Orientation (0x0112) = 6, right after the start marker.
    QByteArray exif("Exif\0\0II*\0", 10);
    put32(exif, 8); // the first field directory follows the 8-byte TIFF header
    put16(exif, 1);
    put16(exif, 0x0112);
    put16(exif, 3); // SHORT
    put32(exif, 1);
    put16(exif, 6);
    put16(exif, 0);
    put32(exif, 0); // no further directory
    QByteArray segment("\xFF\xE1", 2);
    segment.append(char((exif.size() + 2) >> 8)).append(char((exif.size() + 2) & 0xFF)).append(exif);
    jpeg.insert(2, segment);
    writeBytes(path, jpeg);
}

void writePdf(const QByteArray &path, int pages, const QColor &color)
{
    {
        QPdfWriter writer(QString::fromUtf8(path));
        writer.setPageSize(QPageSize(QPageSize::A4));
        QPainter painter(&writer);
        if (!painter.isActive())
            qFatal("cannot write %s", path.constData());
        painter.fillRect(QRect(0, 0, writer.width(), writer.height()), color);
        for (int page = 2; page <= pages; ++page) {
            writer.newPage();
            painter.drawText(QPoint(200, 200), QString::number(page));
        }
    }
}

void writeWav(const QByteArray &path, int milliseconds)
{
    constexpr quint32 rate = 8000;
    const quint32 samples = rate * quint32(milliseconds) / 1000;
    QByteArray data;
    for (quint32 i = 0; i < samples; ++i)
        put16(data, quint16(qint16(8000 * qSin(2 * M_PI * 440 * i / rate))));
    QByteArray format;
    put16(format, 1); // PCM
    put16(format, 1); // mono
    put32(format, rate);
    put32(format, rate * 2); // bytes per second
    put16(format, 2);        // bytes per sample frame
    put16(format, 16);       // bits per sample
    writeBytes(path, chunk("RIFF", QByteArray("WAVE") + chunk("fmt ", format) + chunk("data", data)));
}

} // namespace vellumry::test
