// Undo end to end: the real command-line tool runs a batch on a built tree, then undoes it; the tree must
// come back exactly (every path, every checksum) with nothing of it left in the Trash, entries changed in
// between stay where they are with the reason, and a killed batch is undone for the steps it took.
#include "platform/ChildProcess.h"
#include "support/TempDir.h"
#include "support/TempHome.h"
#include "support/TreeBuilder.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <cstdio>

using namespace vellumry;
using namespace vellumry::test;

namespace {

constexpr qint64 july4th2019 = 1562241600;

ProcessResult cli(const QByteArrayList &arguments)
{
    return runProcess(qgetenv("VELLUMRY_CLI"), arguments, 60000);
}

QByteArray lastLine(const ProcessResult &run)
{
    const QByteArrayList lines = run.standardOutput.trimmed().split('\n');
    return lines.last();
}

} // namespace

class TestUndo : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_home = std::make_unique<TempHome>();
        m_tmp = std::make_unique<TempDir>();
        m_tree = std::make_unique<TreeBuilder>(m_tmp->path() + "/M");
        TreeBuilder &t = *m_tree;
        t.file("a/x.jpg", 10, july4th2019);
        t.file("a/b/y.mp3", 20, july4th2019 - 86400 * 400);
        t.file("a/b/c/n.txt", 30, july4th2019);
        t.file("a/b/r\xe9sum\xe9.JPG", 8, july4th2019);
        t.file("z.pdf", 40, july4th2019);
        t.file("h/Tool.app/bin/tool", 9, july4th2019);
        t.dir("h/empty/deeper");
        t.file(".hidden", 3);
    }
    void cleanup()
    {
        m_tree.reset();
        m_tmp.reset();
        m_home.reset();
    }

    // Each batch, then `undo`: the tree as it was, and the Trash empty. "@" marks a path in the tree.
    void roundTrip_data()
    {
        QTest::addColumn<QByteArrayList>("command");
        QTest::newRow("classify by kind") << QByteArrayList{"classify", "--by", "kind", "@"};
        QTest::newRow("classify by date") << QByteArrayList{"classify", "--by", "date", "@"};
        QTest::newRow("rename") << QByteArrayList{"rename", "--mode", "parent", "--variant", "begin", "@a/x.jpg",
                                                  "@a/b/y.mp3", "@a/b/c/n.txt"};
        QTest::newRow("move up") << QByteArrayList{"move", "--up", "2", "@a/b/y.mp3", "@a/b/c/n.txt", "@h/Tool.app"};
        QTest::newRow("trash") << QByteArrayList{"trash", "@z.pdf", "@a/b", "@h/empty"};
    }
    void roundTrip()
    {
        QFETCH(QByteArrayList, command);
        for (QByteArray &word : command) {
            if (word.startsWith('@'))
                word = m_tree->path(word.mid(1));
        }
        const TreeBuilder::Snapshot before = m_tree->snapshot();
        QVERIFY(cli(command).succeeded());
        const TreeBuilder::Snapshot done = m_tree->snapshot();
        QVERIFY(done != before);
        const ProcessResult undo = cli({"undo"});
        QVERIFY2(undo.succeeded(), undo.standardOutput.constData());
        QVERIFY2(!undo.standardOutput.contains("skipped\t") && !undo.standardOutput.contains("kept\t"), undo.standardOutput.constData());
        QCOMPARE(m_tree->snapshot(), before);
        const QString trash = m_home->dataHome() + QStringLiteral("/Trash/");
        for (const QString &sub : {QStringLiteral("files"), QStringLiteral("info")})
            QVERIFY(QDir(trash + sub).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
        // The undo is a batch too: undoing it does the batch again, which makes the first undoable again.
        QVERIFY(cli({"undo"}).succeeded());
        QCOMPARE(m_tree->snapshot(), done);
        QVERIFY(cli({"undo", "--dry-run"}).succeeded());
        QCOMPARE(m_tree->snapshot(), done);
        const QByteArrayList history = cli({"history"}).standardOutput.trimmed().split('\n');
        QCOMPARE(history.size(), 3);
        QVERIFY(history.at(0).endsWith("\tundoable") && history.at(1).endsWith("\tundone") &&
                history.at(2).endsWith("\tundoable"));
    }

    // Changed between the batch and its undo: that entry stays, with the reason; the others go back.
    void changedEntryIsSkipped_data()
    {
        QTest::addColumn<int>("change");
        QTest::addColumn<QByteArray>("reason");
        QTest::newRow("content rewritten") << 0 << QByteArray("changed since");
        QTest::newRow("renamed away") << 1 << QByteArray("no longer where the batch put it");
        QTest::newRow("old place taken") << 2 << QByteArray("its old place is taken");
        QTest::newRow("replaced by another file") << 3 << QByteArray("changed since");
    }
    void changedEntryIsSkipped()
    {
        QFETCH(int, change);
        QFETCH(QByteArray, reason);
        TreeBuilder &t = *m_tree;
        const TreeBuilder::Snapshot before = t.snapshot();
        QVERIFY(cli({"classify", "--by", "kind", t.root()}).succeeded());
        const QByteArray moved = t.path("Image/x.jpg");
        if (change == 0)
            t.file("Image/x.jpg", 11);
        else if (change == 1)
            QCOMPARE(std::rename(moved.constData(), t.path("Image/away.jpg").constData()), 0);
        else if (change == 2)
            t.file("a/x.jpg", 5);
        else
            QCOMPARE(std::rename(t.file("Image/new.jpg", 10, july4th2019).constData(), moved.constData()), 0);
        const TreeBuilder::Snapshot changed = t.snapshot();
        const ProcessResult undo = cli({"undo"});
        QVERIFY(undo.succeeded());
        QVERIFY2(undo.standardOutput.contains(QByteArray("skipped\t" + moved + '\t' + reason + '\n')),
                 undo.standardOutput.constData());
        QCOMPARE(lastLine(undo), "5 moved, 1 skipped, 0 trashed");
        // Everything else is as before; the changed entry is as the change left it.
        TreeBuilder::Snapshot after = t.snapshot(), expected = before;
        expected.remove("a/x.jpg");
        for (const QByteArray &key : changed.keys()) {
            if (key.startsWith("Image") || key == "a/x.jpg")
                expected.insert(key, changed.value(key));
        }
        expected.remove("Image/r\xe9sum\xe9.JPG");
        expected.insert("a/b/r\xe9sum\xe9.JPG", before.value("a/b/r\xe9sum\xe9.JPG"));
        QCOMPARE(after, expected);
    }

    // Killed in the middle of its moves, a classification is undone for the moves it made: the tree as before.
    void killedClassificationIsUndone()
    {
        TreeBuilder &t = *m_tree;
        for (int i = 0; i < 3000; ++i)
            t.file(QByteArray("d" + QByteArray::number(i % 40) + "/f" + QByteArray::number(i) + ".jpg"), 1, july4th2019);
        const TreeBuilder::Snapshot before = t.snapshot();
        QProcess child;
        child.start(QString::fromLocal8Bit(qgetenv("VELLUMRY_CLI")),
                    {QStringLiteral("classify"), QStringLiteral("--by"), QStringLiteral("date"),
                     QFile::decodeName(t.root())});
        int seen = 0;
        while (seen < 500 && child.waitForReadyRead(30000)) {
            while (child.canReadLine())
                seen += child.readLine().startsWith("moved") ? 1 : 0;
        }
        child.kill();
        QVERIFY(child.waitForFinished(30000));
        QVERIFY(t.snapshot() != before);
        QVERIFY(lastLine(cli({"history"})).endsWith("\tinterrupted"));
        const ProcessResult undo = cli({"undo"});
        QVERIFY(undo.succeeded());
        QVERIFY(lastLine(undo).endsWith(" moved, 0 skipped, 0 trashed"));
        QCOMPARE(t.snapshot(), before);
    }

    // Exit statuses: 1 when the batch cannot be undone at all, 2 for usage errors; the tree untouched.
    void exitStatuses_data()
    {
        QTest::addColumn<int>("setup"); // 0 nothing, 1 a classification, 2 and its undo, 3 a journal of the first format
        QTest::addColumn<QByteArrayList>("command"); // "ID": the first batch's id
        QTest::addColumn<int>("status");
        QTest::newRow("nothing journaled") << 0 << QByteArrayList{"undo"} << 1;
        QTest::newRow("unknown id") << 1 << QByteArrayList{"undo", "no-such-batch"} << 1;
        QTest::newRow("already undone") << 2 << QByteArrayList{"undo", "ID"} << 1;
        QTest::newRow("first journal format") << 3 << QByteArrayList{"undo", "ID"} << 1;
        QTest::newRow("two ids") << 1 << QByteArrayList{"undo", "ID", "ID"} << 2;
        QTest::newRow("unknown option") << 1 << QByteArrayList{"undo", "--all"} << 2;
        QTest::newRow("history with an argument") << 1 << QByteArrayList{"history", "x"} << 2;
    }
    void exitStatuses()
    {
        QFETCH(int, setup);
        QFETCH(QByteArrayList, command);
        QFETCH(int, status);
        const QString journals = m_home->dataHome() + QStringLiteral("/Vellumry/journal");
        if (setup == 1 || setup == 2)
            QVERIFY(cli({"classify", "--by", "kind", m_tree->root()}).succeeded());
        if (setup == 2)
            QVERIFY(cli({"undo"}).succeeded());
        if (setup == 3) {
            QVERIFY(QDir().mkpath(journals));
            QFile v1(journals + QStringLiteral("/20200101-000000-000-00-move.log"));
            QVERIFY(v1.open(QIODevice::WriteOnly));
            const QByteArray step = "\tmove\t" + m_tree->path("z.pdf") + '\t' + m_tree->path("w.pdf") + '\n';
            v1.write("2020-01-01T00:00:00.000Z\tintent" + step + "2020-01-01T00:00:00.001Z\tdone" + step +
                     "2020-01-01T00:00:00.002Z\tend\n");
            v1.close();
            QVERIFY(std::rename(m_tree->path("z.pdf").constData(), m_tree->path("w.pdf").constData()) == 0);
        }
        const QByteArray first = QFile::encodeName(QDir(journals).entryList(QDir::Files).value(0)).chopped(4);
        for (QByteArray &word : command)
            word.replace("ID", first);
        const TreeBuilder::Snapshot before = m_tree->snapshot();
        const ProcessResult run = cli(command);
        QVERIFY(run.exitedNormally);
        QCOMPARE(run.exitCode, status);
        QCOMPARE(m_tree->snapshot(), before);
    }

private:
    std::unique_ptr<TempHome> m_home;
    std::unique_ptr<TempDir> m_tmp;
    std::unique_ptr<TreeBuilder> m_tree;
};

QTEST_GUILESS_MAIN(TestUndo)
#include "tst_undo.moc"
