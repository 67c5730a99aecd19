// Video thumbnail benchmark: short videos made with ffmpeg, thumbnailed through the desktop's thumbnailers.
//
//   thumbnail_bench [--videos 50] [--dir DIR]
//
// Makes the videos once (2-second 640x360 test pictures, H.264 in MP4) in DIR/videos-N, then with an
// empty thumbnail cache of its own times the pass that makes every thumbnail (at most two thumbnailers
// at once, as the window and vellumry-cli run them) and a second pass that finds them in the cache.
#include "platform/ChildProcess.h"
#include "platform/ThumbnailCache.h"
#include "views/Thumbnailers.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>

#include <cstdio>
#include <string>

using namespace vellumry;

int main(int argc, char *argv[])
{
    int videos = 50;
    QByteArray dir = "/tmp/vellumry-bench";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "--videos")
            videos = std::atoi(argv[i + 1]);
        else if (arg == "--dir")
            dir = argv[i + 1];
    }
    QCoreApplication app(argc, argv);
    QTemporaryDir cache;
    qputenv("XDG_CACHE_HOME", QFile::encodeName(cache.path()));

    const QByteArray folder = dir + "/videos-" + QByteArray::number(videos);
    QDir().mkpath(QString::fromUtf8(folder));
    QList<QByteArray> paths;
    for (int i = 0; i < videos; ++i) {
        const QByteArray path = folder + "/clip" + QByteArray::number(i) + ".mp4";
        paths.append(path);
        if (QFile::exists(QString::fromUtf8(path)))
            continue;
        const ProcessResult made = runProcess("/usr/bin/ffmpeg", {"-v", "error", "-y", "-f", "lavfi", "-i",
                                                                  "testsrc=duration=2:size=640x360:rate=25",
                                                                  "-pix_fmt", "yuv420p", path});
        if (!made.succeeded()) {
            std::fprintf(stderr, "thumbnail_bench: ffmpeg could not make %s\n", path.constData());
            return 1;
        }
    }

    const auto maker = sharedThumbnailMaker();
    QThreadPool pool;
    pool.setMaxThreadCount(ThumbnailMaker::kMaxRunning);
    const auto pass = [&](int &made) {
        std::atomic<int> count{0};
        QElapsedTimer clock;
        clock.start();
        QtConcurrent::blockingMap(&pool, paths, [&](const QByteArray &path) {
            if (maker->make(path, ThumbnailSize::Normal, ThumbnailMaker::Sources::ThumbnailersOnly)
                    .succeeded())
                ++count;
        });
        made = count;
        return double(clock.nsecsElapsed()) / 1e9;
    };
    int made = 0, found = 0;
    const double first = pass(made);
    const double second = pass(found);
    std::printf("videos:                      %d (640x360, 2 s, H.264)\n", videos);
    std::printf("thumbnails made:             %d in %.2f s: %.1f per second\n", made, first, made / first);
    std::printf("found again in the cache:    %d in %.3f s: %.0f per second\n", found, second,
                found / second);
    return 0;
}
