// What following a scanned tree live costs: the time and memory the watches add to a scan, and the
// longest stall of the main thread while a burst of outside changes reaches the lists.
//
//   watch_bench [--files 100000] [--dir DIR] [--burst 10000] [--generator PATH]
#include "BenchTrees.h"

#include "model/FileLists.h"
#include "model/TreeWatcher.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTimer>

#include <cstdio>
#include <cstring>
#include <string>

using namespace vellumry;

namespace {

long statusKilobytes(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(line.indexOf(':') + 1).trimmed().split(' ').first().toLong();
    }
    return 0;
}

} // namespace

int main(int argc, char *argv[])
{
    long files = 100000, burst = 10000;
    QByteArray dir = "/tmp/vellumry-bench", generator = VELLUMRY_TREE_GENERATOR;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "--files")
            files = std::atol(argv[i + 1]);
        else if (arg == "--burst")
            burst = std::atol(argv[i + 1]);
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

    FileLists lists;
    const long rssBefore = statusKilobytes("VmRSS");
    const double scanSeconds = bench::scanHeadless(tree, lists);
    const long rssScanned = statusKilobytes("VmRSS");
    const auto items = double(lists.filesItemArray.size());

    TreeWatcher watcher;
    QElapsedTimer timer;
    timer.start();
    watcher.watchTree(tree);
    int last = -1;
    qint64 stableSince = 0;
    while (timer.elapsed() < 120000) { // settled: no new watch for 300 ms
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        const int now = watcher.watchCount();
        if (now != last) {
            last = now;
            stableSince = timer.elapsed();
        } else if (timer.elapsed() - stableSince > 300) {
            break;
        }
    }
    const double watchSeconds = double(stableSince) / 1000.0;
    const long rssWatched = statusKilobytes("VmRSS");
    std::printf("tree: %ld files (%.0f items), %d folders watched (system limit %d)\n", files, items, last,
                TreeWatcher::systemWatchLimit());
    std::printf("scan:                %.3f s, %.0f B/item\n", scanSeconds,
                double(rssScanned - rssBefore) * 1024.0 / items);
    std::printf("adding the watches:  %.3f s (%.1f%% of the scan), %.0f B/item more\n", watchSeconds,
                100.0 * watchSeconds / scanSeconds, double(rssWatched - rssScanned) * 1024.0 / items);

    // The burst: another process creates files; the main thread applies each hand-over to the lists.
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
        lists.applyTreeChanges(changes, {tree});
        longestApply = std::max(longestApply, apply.elapsed());
        ++handOvers;
    });
    const qsizetype target = lists.filesItemArray.size() + burst;
    ticker.start(1);
    QProcess writer;
    writer.start(QStringLiteral("/bin/sh"),
                 {QStringLiteral("-c"), QStringLiteral("cd '%1' && i=0; while [ $i -lt %2 ]; do : > f$i.txt; i=$((i+1)); done")
                                            .arg(QString::fromLocal8Bit(burstFolder))
                                            .arg(burst)});
    const qint64 burstStart = timer.elapsed();
    previousTick = burstStart;
    while (lists.filesItemArray.size() < target && timer.elapsed() - burstStart < 60000)
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
