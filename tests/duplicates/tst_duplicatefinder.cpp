// The duplicate search against a plain reference that hashes every whole file, over trees made to trip
// each shortcut the engine takes (ends, sizes, links, files that change under it); then the command.
#include "duplicates/DuplicateFinder.h"
#include "support/TempDir.h"

#include <QCryptographicHash>
#include <QFile>
#include <QMap>
#include <QProcess>
#include <QSet>
#include <QTest>

#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

using namespace vellumry;
using namespace vellumry::test;
using namespace Qt::StringLiterals;

namespace {

void writeFile(const QByteArray &path, const QByteArray &bytes, std::ios::openmode mode = std::ios::trunc)
{
    std::ofstream file(path.constData(), std::ios::binary | mode);
    QVERIFY(file.write(bytes.constData(), bytes.size()).flush().good());
}

// Builds the tree a row describes and the candidates a scan would give. Entries, one per word list:
//   f NAME SIZE [FLIP|- [SEED]]  a file: content set by SIZE and SEED, the byte at FLIP (from the end
//                                when negative) changed
//   h NAME TARGET  a hard link;  l NAME TARGET  a symbolic link (both listed with the target's size)
//   p NAME SIZE  a FIFO;  d NAME SIZE  a folder (both listed as files of SIZE, as if replaced since)
//   g NAME  the file grows by a byte once listed
std::vector<DuplicateCandidate> makeTree(const QByteArray &root, const QByteArrayList &entries)
{
    std::vector<DuplicateCandidate> candidates;
    QMap<QByteArray, quint64> sizes;
    for (const QByteArray &entry : entries) {
        const QByteArrayList w = entry.split(' ');
        const QByteArray path = root + '/' + w[1];
        if (w[0] == "g") {
            writeFile(path, "+", std::ios::app);
            continue;
        }
        quint64 size = w.size() > 2 ? w[2].toULongLong() : 0;
        QByteArray bytes(qsizetype(size), Qt::Uninitialized);
        for (qsizetype i = 0; i < bytes.size(); ++i)
            bytes[i] = char((i * 131 + w.value(4).toInt() * 17 + (i >> 9)) & 0xff);
        if (w.value(3, "-") != "-")
            bytes[w[3].toLongLong() < 0 ? bytes.size() + w[3].toLongLong() : w[3].toLongLong()] ^= 0x5a;
        if (w[0] == "f")
            writeFile(path, bytes);
        else if (w[0] == "h" || w[0] == "l")
            size = sizes.value(w[2]);
        if ((w[0] == "h" && ::link(QByteArray(root + '/' + w[2]).constData(), path.constData()) != 0) ||
            (w[0] == "l" && ::symlink(w[2].constData(), path.constData()) != 0) ||
            (w[0] == "p" && ::mkfifo(path.constData(), 0600) != 0) ||
            (w[0] == "d" && ::mkdir(path.constData(), 0700) != 0))
            qFatal("cannot make %s", path.constData());
        sizes.insert(w[1], size);
        candidates.push_back({path, size});
    }
    return candidates;
}

struct Reference
{
    QList<QByteArrayList> groups;
    int unreadable = 0, changed = 0;
};

// The slow, obvious answer: every file sharing its listed size with another is read whole; of the paths
// to one inode the first is kept.
Reference reference(std::vector<DuplicateCandidate> candidates, bool includeEmpty)
{
    std::sort(candidates.begin(), candidates.end(), [](auto &a, auto &b) { return a.path < b.path; });
    QMap<quint64, int> sizeCount;
    for (const DuplicateCandidate &c : candidates)
        ++sizeCount[c.size];
    Reference ref;
    QSet<QPair<dev_t, ino_t>> seen;
    QMap<QPair<quint64, QByteArray>, QByteArrayList> byContent;
    for (const DuplicateCandidate &c : candidates) {
        struct stat st = {};
        std::ifstream file;
        QByteArray bytes(qsizetype(c.size), Qt::Uninitialized);
        if (sizeCount[c.size] < 2 || (c.size == 0 && !includeEmpty))
            continue;
        if (::lstat(c.path.constData(), &st) != 0 || !S_ISREG(st.st_mode) ||
            !(file = std::ifstream(c.path.constData(), std::ios::binary)))
            ++ref.unreadable;
        else if (quint64(st.st_size) != c.size)
            ++ref.changed;
        else if (!seen.contains({st.st_dev, st.st_ino}) && file.read(bytes.data(), bytes.size()))
            byContent[{c.size, QCryptographicHash::hash(bytes, QCryptographicHash::Sha256)}].append(c.path);
        seen.insert({st.st_dev, st.st_ino});
    }
    QMultiMap<QPair<qint64, QByteArray>, QByteArrayList> ordered; // by waste (negated), then first path
    for (auto it = byContent.cbegin(); it != byContent.cend(); ++it) {
        if (it->size() >= 2)
            ordered.insert({-qint64(it.key().first) * (it->size() - 1), it->first()}, *it);
    }
    ref.groups = ordered.values();
    return ref;
}

} // namespace

class TestDuplicateFinder : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void findsWhatWholeHashesFind_data()
    {
        QTest::addColumn<QByteArray>("tree"); // entries as makeTree reads them, split by ";"
        QTest::addColumn<bool>("includeEmpty");
        using B = QByteArray;
        QTest::addColumn<int>("groups");  // how many the reference finds: the row really sets its trap
        QTest::addColumn<int>("skipped"); // unreadable and changed, as the reference counts them
        QTest::newRow("middle byte, small and large")
            << B("f a 5000;f b 5000 2500;f c 5000;f d 100000;f e 100000 50000;f g 100000") << false << 2 << 0;
        QTest::newRow("last byte past the read buffer")
            << B("f a 3145735;f b 3145735 -1;f c 3145735;f d 3145735 -4097") << false << 1 << 0;
        QTest::newRow("first byte") << B("f a 9000;f b 9000 0;f c 9000;f d 9000 0") << false << 2 << 0;
        QTest::newRow("whole-read limit, seeds, order by waste then path")
            << B("f a 8192 - 1;f b 8192 - 1;f c 8193 - 1;f d 8193 - 1;f e 8193 - 2;f k 10 - 4;f l 10 - 4;f m "
                 "10 - 3;f n 10 - 3;f o 3000 - 5;f p 3000 - 5;f q 3000 - 5;f r 3000 - 5")
            << false << 5 << 0;
        QTest::newRow("hard links count once, under the first path")
            << B("f m 20000;h a m;h z m;f q 20000;f x 500;h y x") << false << 1 << 0;
        QTest::newRow("symbolic links are not followed") << B("f a 700;f c 700;l b a") << false << 1 << 1;
        QTest::newRow("empty files left out") << B("f a 0;f b 0;f c 1;f d 1 0") << false << 0 << 0;
        QTest::newRow("empty files asked for") << B("f a 0;f b 0;f c 1;f d 1") << true << 2 << 0;
        QTest::newRow("names that are not UTF-8")
            << B("f \xff\xfe 300;f r\xe9 300;f a 300 1") << false << 1 << 0;
        // Root reads files whatever their permissions, so unreadable entries here are a FIFO and a folder
        // where the candidate list says files were.
        QTest::newRow("unreadable") << B("f a 400;f b 400;p c 400;d e 400") << false << 1 << 2;
        QTest::newRow("changed since listed")
            << B("f a 12000;f b 12000;f c 12000;f s 10;f t 10;f u 10 3;g c;g t") << false << 1 << 2;
    }

    void findsWhatWholeHashesFind()
    {
        QFETCH(QByteArray, tree);
        QFETCH(bool, includeEmpty);
        TempDir dir;
        const std::vector<DuplicateCandidate> candidates = makeTree(dir.path(), tree.split(';'));
        const Reference ref = reference(candidates, includeEmpty);
        QTEST(int(ref.groups.size()), "groups");
        QTEST(ref.unreadable + ref.changed, "skipped");
        for (int threads : {1, 4}) {
            std::atomic<quint64> hashed = 1, toHash = 0; // as the last report (on this thread) says
            const std::atomic_bool cancelled{false};
            const DuplicateResult result = findDuplicates(
                candidates, {includeEmpty, threads}, cancelled,
                [&](const DuplicateProgress &p) { hashed = p.bytesHashed, toHash = p.bytesToHash; });
            QList<QByteArrayList> found;
            for (const DuplicateGroup &group : result.groups) {
                found.append(QByteArrayList());
                for (std::size_t member : group.members)
                    found.last().append(candidates[member].path);
            }
            QCOMPARE(found, ref.groups);
            QCOMPARE(result.unreadable, ref.unreadable);
            QCOMPARE(result.changed, ref.changed);
            QVERIFY(!result.cancelled && hashed == toHash);
        }
        const std::atomic_bool cancelled{true};
        const DuplicateResult stopped = findDuplicates(candidates, {includeEmpty, 2}, cancelled);
        QVERIFY(stopped.cancelled && stopped.groups.empty());
    }

    // The command: lines, blank lines between groups, escapes, the summary and the exit status.
    void command_data()
    {
        QTest::addColumn<QByteArray>("tree");   // entries as makeTree reads them, split by ";"
        QTest::addColumn<QString>("arguments"); // "@" is the tree
        QTest::addColumn<QByteArray>("output");
        QTest::addColumn<QByteArray>("summary");
        QTest::addColumn<int>("status");
        using B = QByteArray;
        QTest::newRow("groups") << B("f a\tb 5;f c 5;f d 7 - 1;f e 7 - 1;f n 7;f z 3 0") << u"duplicates @"_s
                                << B("1\t7\t@/d\n1\t7\t@/e\n\n2\t5\t@/a\\tb\n2\t5\t@/c\n")
                                << B("2 groups, 4 files, 12 bytes could be freed\n") << 0;
        QTest::newRow("none") << B("f a 0;f b 0") << u"duplicates @"_s << B()
                              << B("0 groups, 0 files, 0 bytes could be freed\n") << 0;
        QTest::newRow("empty") << B("f a 0;f b 0") << u"duplicates --empty @"_s << B("1\t0\t@/a\n1\t0\t@/b\n")
                               << B("1 group, 2 files, 0 bytes could be freed\n") << 0;
        QTest::newRow("missing folder")
            << B("f a 1") << u"duplicates @ @/gone"_s << B()
            << B("vellumry-cli: cannot scan @/gone: No such file or directory\n") << 1;
    }

    void command()
    {
        QFETCH(QByteArray, tree);
        QFETCH(QString, arguments);
        QFETCH(QByteArray, output);
        QFETCH(QByteArray, summary);
        TempDir dir;
        makeTree(dir.path(), tree.split(';'));
        QProcess cli;
        cli.start(QFile::decodeName(qgetenv("VELLUMRY_CLI")),
                  arguments.replace(u"@"_s, QFile::decodeName(dir.path())).split(u' '));
        QVERIFY(cli.waitForFinished(30000));
        QCOMPARE(cli.readAllStandardOutput(), output.replace('@', dir.path()));
        QCOMPARE(cli.readAllStandardError(), summary.replace('@', dir.path()));
        QTEST(cli.exitCode(), "status");
    }
};

QTEST_GUILESS_MAIN(TestDuplicateFinder)
#include "tst_duplicatefinder.moc"
