// Picture and PDF-page reading by exact path bytes.
#include "views/ui/PictureFiles.h"

#include <QFile>
#include <QImageReader>
#include <QPainter>
#include <QPdfDocument>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vellumry {

namespace {
constexpr int kAllocationLimitMb = 256;
} // namespace

bool openRegularFile(QFile &file, const QByteArray &nativePath)
{
    // O_NONBLOCK keeps open() from waiting for a writer when the path is a named pipe.
    const int fd = ::open(nativePath.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0)
        return false;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return false;
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags >= 0)
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return false;
    }
    return true;
}

QSize fitWithin(QSize size, QSize bound)
{
    if (size.isEmpty() || bound.isEmpty())
        return bound.isEmpty() ? QSize(1, 1) : bound;
    if (size.width() <= bound.width() && size.height() <= bound.height())
        return size;
    return size.scaled(bound, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
}

QImage readScaledPicture(const QByteArray &nativePath, QSize bound)
{
    QFile file;
    if (!openRegularFile(file, nativePath))
        return {};
    QImageReader reader(&file);
    if (!reader.canRead()) {
        // Some formats cannot be told from their first bytes; let the extension name them.
        const qsizetype dot = nativePath.lastIndexOf('.');
        const qsizetype slash = nativePath.lastIndexOf('/');
        if (dot <= slash + 1 || !file.seek(0))
            return {};
        reader.setDevice(&file);
        reader.setFormat(nativePath.mid(dot + 1).toLower());
        if (!reader.canRead())
            return {};
    }
    // Formats that cannot decode at a reduced size need the whole picture in memory first; allow
    // that up to about 64 megapixels.
    reader.setAllocationLimit(kAllocationLimitMb);
    reader.setAutoTransform(true);
    // The scaled size applies to the picture as stored, before the EXIF turn: a quarter turn swaps the
    // sides it has to fit.
    const QSize stored = reader.size();
    const bool quarterTurn = reader.transformation() & QImageIOHandler::TransformationRotate90;
    if (stored.isValid())
        reader.setScaledSize(fitWithin(stored, quarterTurn ? bound.transposed() : bound));
    QImage image = reader.read();
    if (image.isNull())
        return {};
    // A format that does not report its size up front is scaled here, after decoding.
    if (image.width() > bound.width() || image.height() > bound.height())
        image = image.scaled(fitWithin(image.size(), bound), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    return image;
}

QImage renderPdfFirstPage(const QByteArray &nativePath, QSize bound)
{
    QFile file;
    if (!openRegularFile(file, nativePath))
        return {};
    QPdfDocument document;
    document.load(&file);
    if (document.status() != QPdfDocument::Status::Ready || document.pageCount() < 1)
        return {};
    const QSizeF points = document.pagePointSize(0);
    if (points.isEmpty())
        return {};
    const QSize size = points.toSize().expandedTo(QSize(1, 1)).scaled(bound, Qt::KeepAspectRatio);
    const QImage page = document.render(0, size.expandedTo(QSize(1, 1)));
    if (page.isNull())
        return {};
    // Pages without a background of their own are transparent; paper is white.
    QImage paper(page.size(), QImage::Format_RGB32);
    paper.fill(Qt::white);
    QPainter painter(&paper);
    painter.drawImage(0, 0, page);
    painter.end();
    return paper;
}

bool hasPdfExtension(QStringView path)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    const QStringView name = path.mid(slash + 1);
    return name.size() >= 4 && name.endsWith(u".pdf", Qt::CaseInsensitive);
}

} // namespace vellumry
