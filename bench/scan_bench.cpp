// Scan benchmark: the engine's full scan against `find -printf` on the same synthetic trees.
//
//   scan_bench [--files 10000,100000,1000000] [--dir DIR] [--threads N] [--runs R] [--generator PATH]
//
// Trees are made once by the generator and kept in DIR. Each figure is the best of R warm-cache runs.
// The engine runs in a child process of its own so that its peak memory can be read from the kernel.
#include "BenchTrees.h"
#include "model/FileLists.h"
#include "platform/ChildProcess.h"
#include "platform/NativePath.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <vector>

using namespace vellumry;

namespace {

qsizetype countFolderItems(const ItemList &list)
{
    qsizetype n = 0;
    for (const IKImageItemRef &item : list) {
        if (item->bDir())
            n += 1 + countFolderItems(item->childrenArray());
    }
    return n;
}

// Child mode: one engine scan; prints "entries seconds rss_before_kb hwm_after_kb".
int measure(int argc, char *argv[], const QByteArray &tree, int threads)
{
    QCoreApplication app(argc, argv);
    const long rssBefore = bench::statusKilobytes("VmRSS");
    FileLists lists;
    const double seconds = bench::scanHeadless(tree, lists, threads);
    const qsizetype entries = lists.filesItemArray.size() + countFolderItems(lists.currentViewItemArray);
    std::printf("%lld %.6f %ld %ld\n", static_cast<long long>(entries), seconds, rssBefore,
                bench::statusKilobytes("VmHWM"));
    return 0;
}

double timeCommand(const QByteArray &script, const QByteArray &tree)
{
    QElapsedTimer timer;
    timer.start();
    runProcess("/bin/sh", {"-c", script, "sh", tree});
    return double(timer.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char *argv[])
{
    std::vector<long> sizes{10000, 100000, 1000000};
    QByteArray dir = "/tmp/vellumry-bench";
    QByteArray generator = VELLUMRY_TREE_GENERATOR;
    int threads = 0;
    int runs = 3;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "%s needs a value\n", arg.c_str());
                std::exit(2);
            }
            return argv[++i];
        };
        if (arg == "--measure") {
            const QByteArray tree = QByteArray::fromStdString(value());
            return measure(argc, argv, tree, i + 1 < argc ? std::atoi(argv[i + 1]) : 0);
        } else if (arg == "--files") {
            sizes.clear();
            for (const QByteArray &n : QByteArray::fromStdString(value()).split(','))
                sizes.push_back(n.toLong());
        } else if (arg == "--dir") {
            dir = QByteArray::fromStdString(value());
        } else if (arg == "--threads") {
            threads = std::atoi(value().c_str());
        } else if (arg == "--runs") {
            runs = std::max(1, std::atoi(value().c_str()));
        } else if (arg == "--generator") {
            generator = QByteArray::fromStdString(value());
        } else {
            std::fprintf(stderr, "usage: scan_bench [--files N,N,...] [--dir DIR] [--threads N] [--runs R]\n");
            return 2;
        }
    }
    QByteArray selfPath = "/proc/self/exe";
    char resolved[4096];
    if (const ssize_t n = ::readlink("/proc/self/exe", resolved, sizeof resolved - 1); n > 0)
        selfPath = QByteArray(resolved, n);

    std::printf("%-9s %12s %12s %12s %12s %8s %10s\n", "files", "entries", "engine e/s", "find lines",
                "find e/s", "ratio", "B/item");
    for (long n : sizes) {
        const QByteArray tree = bench::ensureTree(n, dir, generator);
        if (tree.isEmpty())
            return 1;
        const QByteArray findScript = "find \"$1\" -printf '%s %p\\n' >/dev/null";
        timeCommand(findScript, tree); // warm the cache
        double findBest = 1e30, engineBest = 1e30;
        long long entries = 0;
        double bytesPerItem = 0;
        for (int r = 0; r < runs; ++r) {
            findBest = std::min(findBest, timeCommand(findScript, tree));
            const ProcessResult child =
                runProcess(selfPath, {"--measure", tree, QByteArray::number(threads)});
            const QList<QByteArray> f = child.standardOutput.trimmed().split(' ');
            if (!child.succeeded() || f.size() != 4) {
                std::fprintf(stderr, "engine run failed\n");
                return 1;
            }
            entries = f[0].toLongLong();
            engineBest = std::min(engineBest, f[1].toDouble());
            bytesPerItem = double(f[3].toLong() - f[2].toLong()) * 1024.0 / double(std::max(1LL, entries));
        }
        const ProcessResult lines = runProcess("/bin/sh", {"-c", "find \"$1\" -printf '%s %p\\n' | wc -l", "sh", tree});
        const long long findLines = lines.standardOutput.trimmed().toLongLong();
        std::printf("%-9ld %12lld %12.0f %12lld %12.0f %8.2f %10.0f\n", n, entries, double(entries) / engineBest,
                    findLines, double(findLines) / findBest, engineBest / findBest, bytesPerItem);
        std::fflush(stdout);
    }
    std::printf("ratio: engine time / find time on the same tree (warm cache, best of %d); "
                "B/item: peak resident growth of the engine process per entry\n", runs);
    return 0;
}
