// Duplicate-search benchmark: the engine (from a finished scan) against jdupes and rmlint over one
// generated tree, and against cat of the files that have to be read.
//
//   dupes_bench [--files 100000] [--total-mb 4096] [--dir /tmp/vellumry-dupes-bench] [--runs 2]
//               [--threads N] [--keep]
//
// Needs the two other finders and GNU time:  sudo apt-get install jdupes rmlint time
//
// The tree: FILES files from 1 KiB to 50 MiB (most small; about TOTAL-MB in all), sizes rounded so that
// many files share a size without sharing content, about 10% of the files with one or two copies, and
// some same-size files that differ in one byte only (in the middle or at the end). Every tool reads the
// same tree with a warm cache; each figure is the best of RUNS runs. Every tool's sets are compared with
// the engine's. The tree is deleted at the end unless --keep is given.
#include "BenchTrees.h"
#include "duplicates/DuplicateFinder.h"
#include "model/FileLists.h"
#include "model/ScanFolders.h"
#include "platform/ChildProcess.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vellumry;

namespace {

quint64 nextRandom(quint64 &state)
{
    quint64 z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

double uniform(quint64 &state)
{
    return double(nextRandom(state) >> 11) / double(1ull << 53);
}

bool writeWhole(const QByteArray &path, const char *data, std::size_t size)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n <= 0)
            break;
        done += std::size_t(n);
    }
    return ::close(fd) == 0 && done == size;
}

// Makes the tree; answers the number of files and bytes written, or files < 0 on failure.
std::pair<long, quint64> makeTree(const QByteArray &tree, long files, quint64 totalBytes)
{
    quint64 rng = 42;
    std::vector<char> buffer;
    long made = 0;
    quint64 bytes = 0;
    const auto folderOf = [&](long n) {
        const QByteArray folder = tree + "/g" + QByteArray::number(qlonglong(n % 100)) + "/h" +
                                  QByteArray::number(qlonglong((n / 100) % 10));
        ::mkdir(QByteArray(tree + "/g" + QByteArray::number(qlonglong(n % 100))).constData(), 0755);
        ::mkdir(folder.constData(), 0755);
        return folder;
    };
    ::mkdir(tree.constData(), 0755);
    const auto put = [&](const QByteArray &name, std::size_t size) {
        const QByteArray path = folderOf(long(nextRandom(rng) % 1000)) + '/' + name;
        if (!writeWhole(path, buffer.data(), size))
            return false;
        ++made;
        bytes += size;
        return true;
    };
    const auto logUniform = [&](double low, double high) {
        return low * std::exp(uniform(rng) * std::log(high / low));
    };
    while (made < files) {
        // Sizes: mostly small, rounded to 512 bytes; some to 4 MiB (rounded to 4 KiB); a few to 50 MiB
        // (rounded to 1 MiB), while the budget lasts.
        const double kind = uniform(rng);
        const bool budgetLeft = bytes < totalBytes * 3 / 4;
        std::size_t size;
        if (budgetLeft && kind < 0.0006)
            size = std::size_t(logUniform(4 << 20, 50 << 20)) & ~std::size_t((1 << 20) - 1);
        else if (budgetLeft && kind < 0.02)
            size = std::size_t(logUniform(64 << 10, 4 << 20)) & ~std::size_t(4095);
        else
            size = std::max<std::size_t>(1024, std::size_t(logUniform(1024, 64 << 10)) & ~std::size_t(511));
        buffer.resize(std::max(buffer.size(), size));
        quint64 fill = nextRandom(rng);
        for (std::size_t i = 0; i + 8 <= size; i += 8) {
            const quint64 word = nextRandom(fill);
            std::memcpy(buffer.data() + i, &word, 8);
        }
        const QByteArray base = QByteArray::number(qlonglong(made));
        if (!put("f" + base + ".bin", size))
            return {-1, 0};
        const double copies = uniform(rng);
        const int count = copies < 0.0433 ? (copies < 0.0087 ? 2 : 1) : 0;
        for (int c = 0; c < count && made < files; ++c) {
            if (!put("c" + base + '-' + QByteArray::number(c) + ".bin", size))
                return {-1, 0};
        }
        // Same size, one byte different: in the middle or at the very end.
        if (made < files && copies > 0.985) {
            buffer[copies > 0.995 ? size - 1 : size / 2] ^= 1;
            if (!put("n" + base + ".bin", size))
                return {-1, 0};
        }
    }
    return {made, bytes};
}

// A tool's answer as a set of sets: each group its sorted paths, one per line.
using Sets = std::set<std::string>;

Sets readSets(const QByteArray &file)
{
    QFile f(QFile::decodeName(file));
    Sets sets;
    if (!f.open(QIODevice::ReadOnly))
        return sets;
    std::vector<std::string> group;
    const auto close = [&] {
        if (group.size() >= 2) {
            std::sort(group.begin(), group.end());
            std::string joined;
            for (const std::string &p : group)
                joined += p + '\n';
            sets.insert(joined);
        }
        group.clear();
    };
    for (const QByteArray &line : f.readAll().split('\n')) {
        if (line.trimmed().isEmpty())
            close();
        else if (line.startsWith('/'))
            group.push_back(line.toStdString());
    }
    close();
    return sets;
}

struct Timed
{
    double seconds = -1;
    long maxRssKb = -1;
};

// Runs the shell script under GNU time (output to `out`); the best of `runs`.
Timed timeScript(const QByteArray &script, const QByteArray &out, const QByteArray &dir, int runs)
{
    Timed best;
    const QByteArray timeFile = dir + "/time.txt";
    for (int r = 0; r < runs; ++r) {
        runProcess("/usr/bin/time",
                   {"-f", "%e %M", "-o", timeFile, "/bin/sh", "-c", script + " >'" + out + "'"});
        QFile f(QFile::decodeName(timeFile));
        if (!f.open(QIODevice::ReadOnly))
            continue;
        const QByteArrayList words = f.readAll().trimmed().split('\n').last().split(' ');
        const double seconds = words.value(0).toDouble();
        if (best.seconds < 0 || seconds < best.seconds)
            best = {seconds, words.value(1).toLong()};
    }
    return best;
}

// Child mode: scans the tree, then searches; writes the sets to OUT, the NUL-separated lists of the
// files in size groups and in the final groups to OUT.same and OUT.final, and prints
// "scan_seconds search_seconds candidates peak_growth_kb same_size_bytes final_group_bytes".
int engineChild(int argc, char *argv[], const QByteArray &tree, const QByteArray &out, int threads)
{
    QCoreApplication app(argc, argv);
    QElapsedTimer timer;
    timer.start();
    FileLists lists;
    scanFolders(lists, {tree});
    const double scanSeconds = double(timer.nsecsElapsed()) / 1e9;
    std::vector<DuplicateCandidate> candidates;
    for (const IKImageItemRef &item : lists.filesItemArray)
        candidates.push_back({item->nativeFilePath(), item->filesizenum()});
    // Peak memory from here on: the kernel's high-water mark is reset to the present size.
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
    clear.close();
    const long rssBefore = bench::statusKilobytes("VmRSS");
    timer.restart();
    const std::atomic_bool cancelled{false};
    DuplicateSearch search;
    search.threads = threads;
    const DuplicateResult result = findDuplicates(candidates, search, cancelled);
    const double searchSeconds = double(timer.nsecsElapsed()) / 1e9;
    const long growth = bench::statusKilobytes("VmHWM") - rssBefore;

    QByteArray sets, finals, same;
    quint64 finalBytes = 0, sameBytes = 0;
    for (const DuplicateGroup &group : result.groups) {
        for (std::size_t m : group.members) {
            sets += candidates[m].path + '\n';
            finals += candidates[m].path + '\0';
            finalBytes += group.size;
        }
        sets += '\n';
    }
    std::map<quint64, int> sizeCount;
    for (const DuplicateCandidate &c : candidates)
        ++sizeCount[c.size];
    for (const DuplicateCandidate &c : candidates) {
        if (sizeCount[c.size] >= 2) {
            same += c.path + '\0';
            sameBytes += c.size;
        }
    }
    for (const auto &[name, bytes] :
         {std::pair{out, sets}, {out + ".final", finals}, {out + ".same", same}}) {
        if (!writeWhole(name, bytes.constData(), std::size_t(bytes.size())))
            return 1;
    }
    std::printf("%.6f %.6f %zu %ld %llu %llu\n", scanSeconds, searchSeconds, candidates.size(), growth,
                static_cast<unsigned long long>(sameBytes), static_cast<unsigned long long>(finalBytes));
    return result.unreadable + result.changed == 0 ? 0 : 1;
}

} // namespace

int main(int argc, char *argv[])
{
    long files = 100000;
    quint64 totalMb = 4096;
    QByteArray dir = "/tmp/vellumry-dupes-bench";
    int runs = 2;
    int threads = 0;
    bool keep = false;
    for (int i = 1; i < argc; ++i) {
        const QByteArray arg = argv[i];
        const QByteArray value = i + 1 < argc ? QByteArray(argv[i + 1]) : QByteArray();
        if (arg == "--engine-child" && i + 2 < argc)
            return engineChild(argc, argv, argv[i + 1], argv[i + 2],
                               i + 3 < argc ? std::atoi(argv[i + 3]) : 0);
        if (arg == "--files")
            files = value.toLong(), ++i;
        else if (arg == "--total-mb")
            totalMb = value.toULongLong(), ++i;
        else if (arg == "--dir")
            dir = value, ++i;
        else if (arg == "--runs")
            runs = std::max(1, value.toInt()), ++i;
        else if (arg == "--threads")
            threads = value.toInt(), ++i;
        else if (arg == "--keep")
            keep = true;
        else {
            std::fprintf(stderr, "usage: dupes_bench [--files N] [--total-mb MB] [--dir DIR] [--runs R] "
                                 "[--threads N] [--keep]\n");
            return 2;
        }
    }
    for (const char *tool : {"/usr/bin/jdupes", "/usr/bin/rmlint", "/usr/bin/time"}) {
        if (::access(tool, X_OK) != 0) {
            std::fprintf(stderr, "%s is missing: sudo apt-get install jdupes rmlint time\n", tool);
            return 1;
        }
    }
    ::mkdir(dir.constData(), 0755);
    const QByteArray tree = dir + "/tree";
    QElapsedTimer timer;
    timer.start();
    if (!QFile::exists(QFile::decodeName(tree))) {
        const auto [made, bytes] = makeTree(tree, files, totalMb << 20);
        if (made < 0) {
            std::fprintf(stderr, "could not make the tree in %s\n", tree.constData());
            return 1;
        }
        std::printf("tree: %ld files, %.2f GB, made in %.1f s\n", made, double(bytes) / 1e9,
                    double(timer.nsecsElapsed()) / 1e9);
        runProcess("/bin/sync", {}); // written out, so that no tool pays for the writing
    }
    // Warm the cache: everything once.
    runProcess("/bin/sh", {"-c", "find \"$1\" -type f -print0 | xargs -0 cat >/dev/null", "sh", tree});

    char selfPath[4096] = {};
    const ssize_t selfLength = ::readlink("/proc/self/exe", selfPath, sizeof selfPath - 1);
    const QByteArray self = selfLength > 0 ? QByteArray(selfPath, selfLength) : QByteArray(argv[0]);
    const QByteArray engineOut = dir + "/engine.txt";
    double scanSeconds = -1, searchSeconds = -1;
    long candidates = 0, growthKb = 0;
    QByteArrayList engineWords;
    Timed engine, jdupes, rmlint, catSame, catFinal, mustRead;
    const auto keepBest = [](Timed &best, const Timed &t) {
        if (t.seconds >= 0 && (best.seconds < 0 || t.seconds < best.seconds))
            best = t;
    };
    // The tools take turns in each round, so that a busy moment of the machine does not fall on one.
    for (int r = 0; r < runs; ++r) {
        const Timed t = timeScript("'" + self + "' --engine-child '" + tree + "' '" + engineOut + "' " +
                                       QByteArray::number(threads),
                                   dir + "/engine-figures.txt", dir, 1);
        QFile f(QFile::decodeName(dir + "/engine-figures.txt"));
        if (f.open(QIODevice::ReadOnly)) {
            const QByteArrayList w = f.readAll().trimmed().split(' ');
            if (searchSeconds < 0 || w.value(1).toDouble() < searchSeconds) {
                engineWords = w;
                scanSeconds = w.value(0).toDouble();
                searchSeconds = w.value(1).toDouble();
                candidates = w.value(2).toLong();
                growthKb = w.value(3).toLong();
                engine = t;
            }
        }
        keepBest(jdupes, timeScript("jdupes -r -q '" + tree + "'", dir + "/jdupes.txt", dir, 1));
        keepBest(rmlint, timeScript("cd '" + dir + "' && rmlint -T df -o fdupes:stdout '" + tree + "'",
                                    dir + "/rmlint.txt", dir, 1));
        keepBest(catSame, timeScript("xargs -0 cat <'" + engineOut + ".same'", "/dev/null", dir, 1));
        keepBest(catFinal, timeScript("xargs -0 cat <'" + engineOut + ".final'", "/dev/null", dir, 1));
        // What any finder must read: 8 KiB of every same-size file, then the final groups' files whole.
        keepBest(mustRead, timeScript("xargs -0 head -q -c 8192 <'" + engineOut +
                                          ".same' && xargs -0 cat <'" + engineOut + ".final'",
                                      "/dev/null", dir, 1));
    }

    const Sets mine = readSets(engineOut);
    const auto compare = [&](const char *name, const QByteArray &file) {
        const Sets theirs = readSets(file);
        std::printf("  %-8s %zu sets: %s\n", name, theirs.size(),
                    theirs == mine ? "the same as the engine's" : "DIFFERENT");
    };
    std::printf("engine   %zu sets\n", mine.size());
    compare("jdupes", dir + "/jdupes.txt");
    compare("rmlint", dir + "/rmlint.txt");

    std::printf("\n%-40s %9s %12s %8s\n", "warm cache, best of runs", "seconds", "peak RSS KB", "B/file");
    const auto perFile = [&](long kb) {
        return candidates > 0 ? double(kb) * 1024.0 / double(candidates) : 0.0;
    };
    std::printf("(engine readers: %s)\n",
                threads > 0 ? QByteArray::number(threads).constData() : "one per core, at least 2");
    std::printf("%-40s %9.3f %12s\n", "engine search (from scanned items)", searchSeconds, "");
    std::printf("%-40s %9.3f %12s\n", "engine scan", scanSeconds, "");
    std::printf("%-40s %9.3f %12ld %8.0f\n", "engine process (scan + search)", engine.seconds,
                engine.maxRssKb, perFile(engine.maxRssKb));
    std::printf("%-40s %9.3f %12ld %8.0f\n", "jdupes -r -q", jdupes.seconds, jdupes.maxRssKb,
                perFile(jdupes.maxRssKb));
    std::printf("%-40s %9.3f %12ld %8.0f\n", "rmlint -T df -o fdupes:stdout", rmlint.seconds, rmlint.maxRssKb,
                perFile(rmlint.maxRssKb));
    std::printf("%-40s %9.3f %12s  (%.2f GB)\n", "cat of all same-size files", catSame.seconds, "",
                engineWords.value(4).toDouble() / 1e9);
    std::printf("%-40s %9.3f %12s  (%.2f GB)\n", "cat of the files in the final groups", catFinal.seconds, "",
                engineWords.value(5).toDouble() / 1e9);
    std::printf("%-40s %9.3f\n", "head -c 8192 of same-size files + cat", mustRead.seconds);
    std::printf("\nengine search / cat of same-size files: %.2fx; / (head of same-size + cat of final-group "
                "files): %.2fx; / cat of final-group files only: %.2fx\n",
                searchSeconds / catSame.seconds, searchSeconds / mustRead.seconds,
                searchSeconds / catFinal.seconds);
    std::printf("peak memory growth of the search: %ld KB, %.1f bytes per file (%ld files)\n", growthKb,
                candidates > 0 ? double(growthKb) * 1024.0 / double(candidates) : 0.0, candidates);
    if (!keep)
        runProcess("/bin/rm", {"-rf", dir});
    return 0;
}
