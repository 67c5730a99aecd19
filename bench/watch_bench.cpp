// What following a scanned tree live costs: the time and memory the watches add to the window's scan
// (FolderScanner, watches added as the scan lists each folder, against the same scan without them and
// against watching the tree after its scan), and the longest stall of the main thread while a burst of
// outside changes reaches the lists. Each time is the best of --runs.
//
//   watch_bench [--files 100000] [--dir DIR] [--burst 10000] [--runs 3] [--generator PATH]
#include "BenchTrees.h"

#include "model/FileLists.h"
#include "model/FolderScanner.h"
#include "model/TreeWatcher.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QProcess>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <ctime>
#include <malloc.h>
#include <string>

using namespace vellumry;

namespace {

// Bytes in use on the heap: what the lists and the watcher hold, without the allocator's slack.
double heapBytes() { return double(mallinfo2().uordblks); }

// The process's processor time so far, all threads (the listing threads and the watcher's) together.
double cpuSeconds()
{
    struct timespec ts;
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) / 1e9;
}

struct Cost
{
    double seconds = 1e9, cpu = 1e9; // the best seen
    void add(const Cost &run)
    {
        seconds = std::min(seconds, run.seconds);
        cpu = std::min(cpu, run.cpu);
    }
};

// What a FolderScanner scan of `tree` takes until its scanFinished, with the window's hook into
// `watcher` when one is given.
Cost scanWithScanner(const QByteArray &tree, FileLists &lists, TreeWatcher *watcher)
{
    FolderScanner scanner(lists);
    if (watcher) {
        scanner.setListingHook([watcher](const QByteArray &scanned, const QByteArray &folder, bool throughLink) {
            if (!throughLink)
                watcher->addWatchForScan(scanned, folder);
        });
    }
    QEventLoop loop; // waits without spinning: the listing threads have every core
    QObject::connect(&scanner, &FolderScanner::scanFinished, [&](const QString &path) {
        if (watcher)
            watcher->scanDelivered(toNativePath(path));
        loop.quit();
    });
    QElapsedTimer timer;
    timer.start();
    const double cpu = cpuSeconds();
    scanner.startScanCurrentFolder(fromNativePath(tree));
    loop.exec();
    return {double(timer.nsecsElapsed()) / 1e9, cpuSeconds() - cpu};
}

// The seconds until the watcher added no watch for 300 ms, less those 300 ms.
double settle(TreeWatcher &watcher)
{
    QElapsedTimer timer;
    timer.start();
    int last = -1;
    qint64 stableSince = 0;
    while (timer.elapsed() < 300000) {
        QCoreApplication::processEvents();
        QThread::msleep(2);
        const int now = watcher.watchCount();
        if (now != last) {
            last = now;
            stableSince = timer.elapsed();
        } else if (timer.elapsed() - stableSince > 300) {
            break;
        }
    }
    return double(stableSince) / 1000.0;
}

} // namespace

int main(int argc, char *argv[])
{
    long files = 100000, burst = 10000, runs = 3;
    QByteArray dir = "/tmp/vellumry-bench", generator = VELLUMRY_TREE_GENERATOR;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "--files")
            files = std::atol(argv[i + 1]);
        else if (arg == "--burst")
            burst = std::atol(argv[i + 1]);
        else if (arg == "--runs")
            runs = std::max(1L, std::atol(argv[i + 1]));
        else if (arg == "--dir")
            dir = argv[i + 1];
        else if (arg == "--generator")
            generator = argv[i + 1];
    }
    QCoreApplication app(argc, argv);
    const QByteArray tree = bench::ensureTree(files, dir, generator);
    if (tree.isEmpty())
        return 1;
    const QByteArray burstFolder = tree + "/burst-folder";
    runProcess("/bin/rm", {"-rf", burstFolder});
    ::mkdir(burstFolder.constData(), 0755);

    TreeWatcher watcher;
    Cost plain, watched;
    double after = 1e9, listsBytes = 0, watchBytes = 0, items = 0;
    int folders = 0;
    auto lists = std::make_unique<FileLists>();
    for (long run = 0; run < runs; ++run) {
        // Without watches, then watched during the scan, then watched after it as a walk of its own
        // with `since` (every file is looked at again).
        lists = std::make_unique<FileLists>();
        double heap = heapBytes();
        plain.add(scanWithScanner(tree, *lists, nullptr));
        listsBytes = heapBytes() - heap;
        items = double(lists->filesItemArray.size());

        watcher.clear();
        lists = std::make_unique<FileLists>();
        heap = heapBytes();
        watched.add(scanWithScanner(tree, *lists, &watcher));
        watchBytes = heapBytes() - heap - listsBytes;
        folders = watcher.watchCount();

        watcher.clear();
        const qint64 since = QDateTime::currentSecsSinceEpoch() - 1;
        watcher.watchTree(tree, since);
        after = std::min(after, settle(watcher));
        if (watcher.watchCount() != folders)
            std::printf("watched after the scan: %d folders, during it: %d\n", watcher.watchCount(), folders);
    }
    // The burst below is followed by the watches added during a scan.
    watcher.clear();
    lists = std::make_unique<FileLists>();
    scanWithScanner(tree, *lists, &watcher);

    std::printf("tree: %ld files (%.0f items), %d folders watched (system limit %d); best of %ld runs\n", files,
                items, folders, TreeWatcher::systemWatchLimit(), runs);
    std::printf("scan without watches:      %.3f s (processor %.3f s), %.0f B/item\n", plain.seconds, plain.cpu,
                listsBytes / items);
    std::printf("scan watched as it lists:  %.3f s (%+.1f%%) (processor %.3f s, %+.1f%%), %.1f B/item more\n",
                watched.seconds, 100.0 * (watched.seconds - plain.seconds) / plain.seconds, watched.cpu,
                100.0 * (watched.cpu - plain.cpu) / plain.cpu, watchBytes / items);
    std::printf("watched after the scan:    %.3f s more (%+.1f%%)\n", after, 100.0 * after / plain.seconds);

    // The burst: another process creates files; the main thread applies each hand-over to the lists.
    QElapsedTimer timer;
    timer.start();
    qint64 longestStall = 0, longestApply = 0, previousTick = timer.elapsed();
    int handOvers = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = timer.elapsed();
        longestStall = std::max(longestStall, now - previousTick);
        previousTick = now;
    });
    QObject::connect(&watcher, &TreeWatcher::changed, [&](const TreeChanges &changes) {
        QElapsedTimer apply;
        apply.start();
        lists->applyTreeChanges(changes, {tree});
        longestApply = std::max(longestApply, apply.elapsed());
        ++handOvers;
    });
    const qsizetype target = lists->filesItemArray.size() + burst;
    ticker.start(1);
    QProcess writer;
    writer.start(QStringLiteral("/bin/sh"),
                 {QStringLiteral("-c"), QStringLiteral("cd '%1' && i=0; while [ $i -lt %2 ]; do : > f$i.txt; i=$((i+1)); done")
                                            .arg(QString::fromLocal8Bit(burstFolder))
                                            .arg(burst)});
    const qint64 burstStart = timer.elapsed();
    previousTick = burstStart;
    while (lists->filesItemArray.size() < target && timer.elapsed() - burstStart < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    const double listedAfter = double(timer.elapsed() - burstStart) / 1000.0;
    for (const qint64 until = timer.elapsed() + 200; timer.elapsed() < until;) // the last gap is counted too
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    ticker.stop();
    writer.waitForFinished(60000);
    std::printf("burst of %ld creations: all listed after %.3f s, %d hand-overs, longest hand-over %lld ms, "
                "longest main-thread stall %lld ms\n",
                burst, listedAfter, handOvers, static_cast<long long>(longestApply),
                static_cast<long long>(longestStall));
    watcher.clear();
    runProcess("/bin/rm", {"-rf", burstFolder});
    return 0;
}
