// The application box without widgets: last-use texts, the narrowing orders, the search, the stored
// list and its command-line front end.
#include "appmanager/AppBox.h"
#include "appmanager/AppBoxStore.h"
#include "platform/ChildProcess.h"
#include "platform/Settings.h"
#include "support/TempHome.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QTest>

using namespace vellumry;
using namespace vellumry::test;
using namespace Qt::StringLiterals;

namespace {

const QDateTime kNow = QDateTime(QDate(2024, 3, 1), QTime(12, 0), Qt::UTC);

PMAppNodeRef node(const QString &name, int count = 0, qint64 secondsAgo = -1)
{
    auto n = PMAppNodeRef::create();
    n->setAppName(name);
    n->setAppPath(u"/apps/"_s + name);
    n->setUsedCount(count);
    if (secondsAgo >= 0)
        n->setLastOpenDate(kNow.addSecs(-secondsAgo));
    return n;
}

QStringList names(const PMAppNodeList &list)
{
    QStringList out;
    for (const PMAppNodeRef &n : list)
        out.append(n->appName());
    return out;
}

void writeFile(const QString &path, const QByteArray &text, QFile::Permissions extra = {})
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();
    file.setPermissions(file.permissions() | extra);
}

const QByteArray kEntry =
    "[Desktop Entry]\nType=Application\nName=Calculator\nExec=true\nIcon=accessories-calculator\n";

} // namespace

class TestAppBox : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void elapsedText_data()
    {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("future") << qint64(-5) << u"in the future"_s;
        QTest::newRow("60") << qint64(60) << u"just now"_s;
        QTest::newRow("61") << qint64(61) << u"1 minute(s) ago"_s;
        QTest::newRow("90") << qint64(90) << u"1 minute(s) ago"_s;
        QTest::newRow("3599") << qint64(3599) << u"59 minute(s) ago"_s;
        QTest::newRow("one hour") << qint64(3600) << u"1 hours(s) ago"_s;
        QTest::newRow("86399") << qint64(86399) << u"23 hours(s) ago"_s;
        QTest::newRow("86400") << qint64(86400) << u"1 days(s) ago"_s;
        QTest::newRow("2591999") << qint64(2591999) << u"29 days(s) ago"_s;
        QTest::newRow("2592000") << qint64(2592000) << u"1 month(s) ago"_s;
        QTest::newRow("31103999") << qint64(31103999) << u"11 month(s) ago"_s;
        QTest::newRow("31104000") << qint64(31104000) << u"1 year(s) ago"_s;
        QTest::newRow("400 days") << qint64(400) * 86400 << u"1 year(s) ago"_s;
    }
    void elapsedText()
    {
        QFETCH(qint64, seconds);
        QFETCH(QString, text);
        QCOMPARE(elapsedTimeText(seconds), text);
        // From dates: the fraction of a second is cut off.
        QCOMPARE(elapsedTimeText(kNow.addMSecs(-seconds * 1000 - 999), kNow), text);
    }

    void usedCountKeepsOnlyThoseAboveTheThreshold()
    {
        const PMAppNodeList shown{node(u"five"_s, 5), node(u"six"_s, 6), node(u"twelve"_s, 12),
                                  node(u"sixb"_s, 6), node(u"failed"_s, -1)};
        QCOMPARE(names(narrowByUsedCount(shown, 5)), (QStringList{u"twelve"_s, u"six"_s, u"sixb"_s}));
        // The counts may come from elsewhere than the records.
        const AppUsageReader fromDesktop = [](const PMAppNode &n) {
            return AppUsage{n.appName() == u"five"_s ? 50 : 0, {}};
        };
        QCOMPARE(names(narrowByUsedCount(shown, 5, fromDesktop)), QStringList{u"five"_s});
    }

    void dateKeepsTheLastSevenDaysInclusive()
    {
        AppBox box;
        for (const PMAppNodeRef &n : {node(u"old"_s, 0, 604801), node(u"edge"_s, 0, 604800), node(u"never"_s),
                                      node(u"today"_s, 0, 10)})
            box.AddAppItemArray(n);
        box.ArrageArrayByDate(kNow);
        QCOMPARE(names(box.getAppItemArray()), (QStringList{u"today"_s, u"edge"_s}));
    }

    // s narrows, sa narrows further, back to s keeps the narrower result, an empty field shows everything.
    void searchNarrows()
    {
        AppBox box;
        for (const QString &name : {u"Safari"_s, u"Slack"_s, u"Terminal"_s, u"xsane"_s})
            box.AddAppItemArray(node(name));
        QSignalSpy reloaded(&box, &AppBox::initFilterViewThreadHandle);
        const auto type = [&](const QString &text) {
            box.controlTextDidChange(text);
            box.waitForSearches();
            QCoreApplication::processEvents(); // the reload is handed to this (the GUI) thread
            return names(box.getAppItemArray());
        };
        QCOMPARE(type(u"S"_s), (QStringList{u"Safari"_s, u"Slack"_s, u"xsane"_s}));
        QCOMPARE(type(u"sa"_s), (QStringList{u"Safari"_s, u"xsane"_s}));
        QCOMPARE(type(u"s"_s), (QStringList{u"Safari"_s, u"xsane"_s}));
        QCOMPARE(type(QString()).size(), 4);
        QCOMPARE(reloaded.size(), 4); // one grid reload per change of the text
    }

    // A search asked for before the field was emptied must not narrow the full list afterwards.
    void lateSearchDoesNotUndoAClearedField()
    {
        AppBox box;
        box.AddAppItemArray(node(u"alpha"_s));
        box.AddAppItemArray(node(u"beta"_s));
        for (int i = 0; i < 50; ++i) {
            box.controlTextDidChange(u"alp"_s);
            box.controlTextDidChange(QString());
            box.waitForSearches();
            QCOMPARE(box.getAppItemArray().size(), 2);
        }
    }

    void removedComesBackInNameOrder()
    {
        AppBox box;
        for (const QString &name : {u"a"_s, u"b"_s, u"c"_s})
            box.AddAppItemArray(node(name));
        QCOMPARE(box.removeShownAt(1)->appName(), u"b"_s);
        QVERIFY(!box.removeShownAt(5));
        QCOMPARE(names(box.getAppItemArray()), (QStringList{u"a"_s, u"c"_s}));
        box.ArrageArrayByName();
        QCOMPARE(names(box.getAppItemArray()), (QStringList{u"a"_s, u"b"_s, u"c"_s}));
    }

    void acceptance_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("reason"); // empty: accepted
        QTest::newRow("desktop entry") << u"calc.desktop"_s << QString();
        QTest::newRow("executable") << u"tool.sh"_s << QString();
        QTest::newRow("plain file") << u"notes.txt"_s << u"not executable"_s;
        QTest::newRow("broken entry") << u"broken.desktop"_s << u"not a usable desktop entry"_s;
        QTest::newRow("folder") << u"folder"_s << u"a folder"_s;
        QTest::newRow("missing") << u"missing"_s << u"no such file"_s;
    }
    void acceptance()
    {
        QFETCH(QString, name);
        QFETCH(QString, reason);
        TempHome home;
        const QString dir = home.home();
        writeFile(dir + u"/calc.desktop"_s, kEntry);
        writeFile(dir + u"/tool.sh"_s, "#!/bin/sh\n", QFile::ExeOwner);
        writeFile(dir + u"/notes.txt"_s, "x");
        writeFile(dir + u"/broken.desktop"_s, "not an entry", QFile::ExeOwner);
        QDir(dir).mkdir(u"folder"_s);
        const AppBoxStore::Acceptance got = AppBoxStore::accepts(dir + u'/' + name);
        QCOMPARE(got.ok, reason.isEmpty());
        QCOMPARE(got.reason, reason);
    }

    void storedListAfterAddAndRemove()
    {
        TempHome home;
        Settings settings(Settings::defaultFilePath());
        QVERIFY(AppBoxStore::appendPaths(settings, {u"/a"_s, u"/b"_s}));
        QVERIFY(AppBoxStore::appendPaths(settings, {u"/a"_s}));
        QCOMPARE(AppBoxStore::removeEveryEntry(settings, u"/a"_s), 2);
        QCOMPARE(AppBoxStore::removeEveryEntry(settings, u"/a"_s), 0);
        Settings reread(Settings::defaultFilePath());
        QCOMPARE(AppBoxStore::storedPaths(reread), QStringList{u"/b"_s});
    }

    void commandLine()
    {
        TempHome home;
        const QByteArray cli = qgetenv("VELLUMRY_CLI");
        QVERIFY(!cli.isEmpty());
        const QByteArray dir = home.home().toUtf8();
        writeFile(home.home() + u"/calc.desktop"_s, kEntry);
        writeFile(home.home() + u"/tab\tname"_s, "#!/bin/sh\n", QFile::ExeOwner);
        writeFile(home.home() + u"/notes.txt"_s, "x");

        ProcessResult run =
            runProcess(cli, {"box", "add", dir + "/calc.desktop", dir + "/notes.txt", dir + "/tab\tname"});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.standardOutput, "added\t" + dir + "/calc.desktop\nrefused\t" + dir +
                                         "/notes.txt\tnot executable\n" + "added\t" + dir + "/tab\\tname\n");
        run = runProcess(cli, {"box", "list"});
        QVERIFY(run.succeeded());
        QCOMPARE(run.standardOutput, dir + "/calc.desktop\n" + dir + "/tab\\tname\n");
        run = runProcess(cli, {"box", "remove", dir + "/calc.desktop"});
        QVERIFY(run.succeeded());
        QCOMPARE(run.standardOutput, "removed\t" + dir + "/calc.desktop\n");
        run = runProcess(cli, {"box", "remove", dir + "/calc.desktop"});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.standardOutput, "absent\t" + dir + "/calc.desktop\n");
        Settings settings(Settings::defaultFilePath());
        QCOMPARE(AppBoxStore::storedPaths(settings), QStringList{home.home() + u"/tab\tname"_s});
        for (const QList<QByteArray> &wrong :
             {QList<QByteArray>{"box"}, {"box", "add"}, {"box", "list", "x"}, {"box", "sort"}})
            QCOMPARE(runProcess(cli, wrong).exitCode, 2);
    }
};

QTEST_GUILESS_MAIN(TestAppBox)
#include "tst_appbox.moc"
