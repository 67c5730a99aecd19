// Metadata benchmark: what reading the date taken adds to planning a classification by date.
//
//   metadata_bench [--files 10000] [--dir DIR] [--runs R]
//
// Makes one small JPEG (QImage), writes its EXIF date with Exiv2, and copies it FILES times into 100
// folders, each copy under another date. Then plans the classification of the scanned tree by modification
// time and by date taken (warm cache, best of R runs each) and prints both and the cost per 10,000 files.
#include "model/FileLists.h"
#include "model/ScanFolders.h"
#include "reorganise/ClassifyPlanner.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <exiv2/exiv2.hpp>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

using namespace vellumry;

namespace {

constexpr char kTemplateDate[] = "2000:01:01 00:00:00";

// A 640x480 JPEG with an EXIF DateTimeOriginal of kTemplateDate and a camera.
QByteArray templateJpeg(const QByteArray &path)
{
    QImage image(640, 480, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(image.rect(), QLinearGradient(0, 0, 640, 480));
    painter.drawEllipse(100, 100, 300, 200);
    painter.end();
    if (!image.save(QString::fromUtf8(path), "JPEG", 85))
        return {};
    auto exif = Exiv2::ImageFactory::open(path.toStdString());
    exif->readMetadata();
    exif->exifData()["Exif.Photo.DateTimeOriginal"] = std::string(kTemplateDate);
    exif->exifData()["Exif.Image.Make"] = std::string("Bench");
    exif->exifData()["Exif.Image.Model"] = std::string("Bench One");
    exif->writeMetadata();
    QFile file(QString::fromUtf8(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool makeTree(const QByteArray &root, long files)
{
    if (QDir(QString::fromUtf8(root)).exists() &&
        QDir(QString::fromUtf8(root + "/99")).entryList(QDir::Files).size() == int(files / 100))
        return true; // made by an earlier run
    QDir(QString::fromUtf8(root)).removeRecursively();
    QDir().mkpath(QString::fromUtf8(root));
    const QByteArray bytes = templateJpeg(root + "/template.jpg");
    QFile::remove(QString::fromUtf8(root + "/template.jpg"));
    const qsizetype at = bytes.indexOf(kTemplateDate);
    if (at < 0)
        return false;
    for (long i = 0; i < files; ++i) {
        const QByteArray folder = root + '/' + QByteArray::number(i % 100);
        QDir().mkpath(QString::fromUtf8(folder));
        QByteArray copy = bytes;
        // Dates spread over about thirty years, each copy its own.
        char date[32];
        std::snprintf(date, sizeof date, "%04ld:%02ld:%02ld %02ld:%02ld:00", 1995 + i % 30, 1 + i / 30 % 12,
                      1 + i / 360 % 28, i % 24, i % 60);
        copy.replace(at, qsizetype(sizeof kTemplateDate - 1), date);
        QFile out(QString::fromUtf8(folder + "/IMG_" + QByteArray::number(i) + ".jpg"));
        if (!out.open(QIODevice::WriteOnly) || out.write(copy) != copy.size())
            return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    long files = 10000;
    int runs = 3;
    QByteArray dir = "/tmp/vellumry-bench-metadata";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i], value = argv[i + 1];
        if (arg == "--files")
            files = std::max(100L, std::atol(value.c_str()));
        else if (arg == "--dir")
            dir = QByteArray::fromStdString(value);
        else if (arg == "--runs")
            runs = std::max(1, std::atoi(value.c_str()));
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const QByteArray root = dir + '/' + QByteArray::number(qlonglong(files));
    if (!makeTree(root, files)) {
        std::fprintf(stderr, "metadata_bench: cannot make the pictures in %s\n", root.constData());
        return 1;
    }
    FileLists lists;
    scanFolders(lists, {root});
    std::printf("%lld JPEGs in %s\n", qlonglong(lists.filesItemArray.size()), root.constData());

    double best[2] = {std::numeric_limits<double>::max(), std::numeric_limits<double>::max()};
    int fellBack = -1;
    for (int run = 0; run < runs; ++run) {
        for (int taken = 0; taken < 2; ++taken) {
            QElapsedTimer timer;
            timer.start();
            const ClassifyPlan plan =
                planClassification(lists.filesItemArray, root, ClassifyBy::Date,
                                   taken ? ClassifyDate::Taken : ClassifyDate::Modified);
            best[taken] = std::min(best[taken], double(timer.nsecsElapsed()) / 1e9);
            if (taken)
                fellBack = plan.byModificationTime;
        }
    }
    const double per10k = (best[1] - best[0]) * 10000.0 / double(lists.filesItemArray.size());
    std::printf(
        "plan by modification time: %.3f s\nplan by date taken:        %.3f s (%d without a date taken)\n"
        "metadata cost: %.3f s per 10,000 JPEGs (%.1f us each), warm cache, best of %d\n",
        best[0], best[1], fellBack, per10k, per10k * 100.0, runs);
    return 0;
}
