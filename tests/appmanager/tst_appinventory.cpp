// The inventory of installed applications in a temporary home with its own application folders, its
// orders, and vellumry-cli apps as scripts see it.
#include "AppFixtures.h"

#include "appmanager/AppInventory.h"
#include "appmanager/AppSorting.h"
#include "platform/ChildProcess.h"
#include "support/TempHome.h"

#include <QTest>

Q_DECLARE_METATYPE(vellumry::AppSortOrder)

using namespace vellumry;
using namespace vellumry::test;
using namespace Qt::StringLiterals;

namespace {

// A record from a short description: name, 64-bit, use count and last-use day (0: never).
PMAppNodeRef app(const QString &name, bool x64, int count, int day)
{
    auto node = PMAppNodeRef::create();
    node->setAppName(name);
    node->setB64bit(x64);
    node->setUsedCount(count);
    if (day)
        node->setLastOpenDate(QDateTime(QDate(2024, 1, day), QTime(12, 0), QTimeZone::utc()));
    return node;
}

} // namespace

class TestAppInventory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void inventoryListsEachInstalledEntryOnce()
    {
        TempHome home;
        const QString user = home.dataHome() + u"/applications"_s;
        const QString system = home.dataDirs() + u"/applications"_s;
        const QString a = writeEntry(user, u"a.desktop"_s, u"Exec=/bin/true"_s);
        writeEntry(user, u"hidden.desktop"_s, u"Exec=/bin/true\nHidden=true"_s);
        writeEntry(user, u"link.desktop"_s, u"Type=Link\nURL=https://example.org"_s);
        const QString sub = writeEntry(user, u"tools/x.desktop"_s, u"Exec=x"_s);
        writeEntry(system, u"a.desktop"_s, u"Exec=/bin/false"_s);      // shadowed by the user's a.desktop
        writeEntry(system, u"hidden.desktop"_s, u"Exec=/bin/false"_s); // deleted by the user's Hidden entry
        const QString b = writeEntry(system, u"b.desktop"_s, u"Exec=b %U\nIcon=b-icon"_s);
        QFile broken(system + u"/broken.desktop"_s); // no [Desktop Entry] group: cannot be loaded
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("just text\n");
        broken.close();

        PMAppNodeList records;
        records.append(PMAppNodeRef::create()); // not emptied first
        int loads = 0, finishes = 0;
        InventoryHandBacks handBacks;
        handBacks.LoadTableViewOnMainThread = [&] {
            ++loads;
            QCOMPARE(finishes, 0);
        };
        handBacks.ScanFinsihOnMainThread = [&] { ++finishes; };
        QCOMPARE(scanAllApplicationFolder(records, handBacks), 3);
        QCOMPARE(loads, 3);
        QCOMPARE(finishes, 1);
        QCOMPARE(records.size(), 4);
        QStringList names, paths;
        for (qsizetype i = 1; i < records.size(); ++i) {
            names << records[i]->appName();
            paths << records[i]->appPath();
        }
        QCOMPARE(names, (QStringList{u"a.desktop"_s, u"x.desktop"_s, u"b.desktop"_s}));
        QCOMPARE(paths, (QStringList{a, sub, b}));
        QCOMPARE(records[3]->appImage(), u"b-icon"_s);
        QCOMPARE(records[3]->appVersion(), u"1.0.0"_s); // no package owns it
    }

    void emptyInventoryLogsAndHandsNothingBack()
    {
        TempHome home;
        PMAppNodeList records;
        int calls = 0;
        InventoryHandBacks handBacks{[&] { ++calls; }, [&] { ++calls; }};
        QTest::ignoreMessage(QtInfoMsg, "No find Duplicat files");
        QCOMPARE(scanAllApplicationFolder(records, handBacks), 0);
        QCOMPARE(calls, 0);
    }

    void usesComeFromTheRecentUseStore()
    {
        TempHome home;
        const QString apps = home.dataHome() + u"/applications"_s;
        const QDateTime mtime = utc("2023-05-06T07:08:09Z");
        const QString editor = writeEntry(apps, u"org.example.Editor.desktop"_s, u"Name=Editor\nExec=/usr/bin/editor --new %F"_s, mtime);
        const QString viewer = writeEntry(apps, u"viewer.desktop"_s, u"Name=Viewer\nExec=viewer %U"_s, mtime);
        const QString never = writeEntry(apps, u"never.desktop"_s, u"Name=Never\nExec=never"_s, mtime);
        writeRecentUses(home.dataHome() + u"/recently-used.xbel"_s,
                        {{"file:///a.txt", "editor", "&apos;editor %u&apos;", "2024-02-01T10:00:00Z", 2},
                         {"file:///b.txt", "editor", "&apos;/usr/bin/editor %u&apos;", "2024-03-01T10:00:00Z", 3},
                         {"file:///b.txt", "Viewer", "&apos;other-viewer %u&apos;", "2024-01-01T00:00:00Z", 4},
                         {"file:///c.txt", "org.example.Editor", "&apos;x %u&apos;", "2023-01-01T00:00:00Z", 1},
                         {"file:///c.txt", "neverish", "&apos;neverish %u&apos;", "2024-06-01T00:00:00Z", 9}});

        PMAppNodeList records;
        scanAllApplicationFolder(records);
        QCOMPARE(records.size(), 3);
        QCOMPARE(records[0]->appPath(), never);
        QCOMPARE(records[0]->usedCount(), 0);
        QCOMPARE(records[0]->lastOpenDate(), mtime); // never used: the entry's modification date
        QCOMPARE(records[0]->modifyDate(), mtime);
        QCOMPARE(records[1]->appPath(), editor); // by program and by desktop-file ID
        QCOMPARE(records[1]->usedCount(), 6);
        QCOMPARE(records[1]->lastOpenDate(), utc("2024-03-01T10:00:00Z"));
        QCOMPARE(records[2]->appPath(), viewer); // by name
        QCOMPARE(records[2]->usedCount(), 4);
        QCOMPARE(GetAppUsedCount(editor), 6);

        // What the tray box reads: a desktop entry, or an executable file by its program name.
        const RecentUseStore uses = RecentUseStore::load();
        QCOMPARE(recentUseOf(editor, uses).count, 6);
        const RecentUseStore::Use program = recentUseOf(u"/opt/my tools/neverish"_s, uses);
        QCOMPARE(program.count, 9);
        QCOMPARE(program.lastUsed, utc("2024-06-01T00:00:00Z"));
        QCOMPARE(recentUseOf(apps + u"/missing.desktop"_s, uses).count, 0);
    }

    void unreadableStoreCountsMinusOne()
    {
        TempHome home;
        const QString apps = home.dataHome() + u"/applications"_s;
        const QDateTime mtime = utc("2023-05-06T07:08:09Z");
        const QString entry = writeEntry(apps, u"editor.desktop"_s, u"Exec=editor"_s, mtime);
        QFile store(home.dataHome() + u"/recently-used.xbel"_s);
        QVERIFY(store.open(QIODevice::WriteOnly));
        store.write("<xbel version=\"1.0\"><bookmark href=");
        store.close();
        QCOMPARE(GetAppUsedCount(entry), -1);
        PMAppNodeList records;
        scanAllApplicationFolder(records);
        QCOMPARE(records.size(), 1);
        QCOMPARE(records[0]->usedCount(), -1);
        QCOMPARE(records[0]->lastOpenDate(), mtime);
    }

    void sixtyFourBit_data()
    {
        QTest::addColumn<QString>("keys"); // %1 is a folder of the test's own
        QTest::addColumn<bool>("expected");
        const bool x64 = isX86_64();
        QTest::newRow("ELF binary") << u"Exec=/bin/true %U"_s << x64;
        QTest::newRow("found in PATH") << u"Exec=true"_s << x64;
        QTest::newRow("TryExec first") << u"TryExec=/bin/true\nExec=%1/x86_64/run.sh"_s << x64;
        QTest::newRow("link to the binary") << u"Exec=%1/link"_s << x64;
        QTest::newRow("script in a folder named x86_64") << u"Exec=%1/x86_64/run.sh"_s << false;
        QTest::newRow("no such program") << u"Exec=no-such-program-here"_s << false;
        QTest::newRow("no Exec") << u"Name=Nothing"_s << false;
        QTest::newRow("a folder") << u"Exec=%1"_s << false;
    }
    void sixtyFourBit()
    {
        QFETCH(QString, keys);
        QFETCH(bool, expected);
        TempHome home;
        const QString own = home.root() + u"/own"_s;
        writeScript(own + u"/x86_64/run.sh"_s);
        QVERIFY(QFile::link(u"/bin/true"_s, own + u"/link"_s));
        const QString entry = writeEntry(home.dataHome() + u"/applications"_s, u"t.desktop"_s, keys.arg(own));
        QCOMPARE(is64bitApplicationwithfilepath(entry), expected);
    }

    void versions()
    {
        TempHome home;
        const QString apps = home.dataHome() + u"/applications"_s;
        const DesktopEntry plain;
        QCOMPARE(applicationVersion(writeEntry(apps, u"plain.desktop"_s, {}), plain), u"1.0.0"_s);
        DesktopEntry appImage;
        appImage.appImageVersion = u"2.3.4"_s;
        QCOMPARE(applicationVersion(writeEntry(apps, u"image.desktop"_s, {}), appImage), u"2.3.4"_s);
        QVERIFY(packageVersionForPath(u"/no/such/file"_s).isEmpty());
        QVERIFY(packageVersionForPath(u"/usr/bin/*"_s).isEmpty()); // a pattern is not a path

        // A file some package owns gives that package's version.
        const ProcessResult owner = runProcess("/usr/bin/dpkg-query", {"-W", "-f=${Version}", "file"});
        if (!owner.succeeded() || !QFileInfo::exists(u"/usr/bin/file"_s))
            QSKIP("no dpkg database with the file package here");
        QCOMPARE(packageVersionForPath(u"/usr/bin/file"_s), QString::fromUtf8(owner.standardOutput));
    }

    void orders_data()
    {
        QTest::addColumn<AppSortOrder>("order");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("32-bit first, each group in its order") << AppSortOrder::Architecture
                                                               << QStringList{u"Zebra"_s, u".hidden"_s, u"_Tool"_s, u"apple"_s, u"Éclair"_s};
        QTest::newRow("most used first, unreadable last") << AppSortOrder::UsedCount
                                                          << QStringList{u"Éclair"_s, u"_Tool"_s, u"Zebra"_s, u".hidden"_s, u"apple"_s};
        QTest::newRow("most recent first, ties kept, never last") << AppSortOrder::LastUsedDate
                                                                  << QStringList{u"Zebra"_s, u"_Tool"_s, u"apple"_s, u"Éclair"_s, u".hidden"_s};
        QTest::newRow("punctuation first, then ignoring case and accents")
            << AppSortOrder::Name << QStringList{u".hidden"_s, u"_Tool"_s, u"apple"_s, u"Éclair"_s, u"Zebra"_s};
    }
    void orders()
    {
        QFETCH(AppSortOrder, order);
        QFETCH(QStringList, expected);
        const PMAppNodeList apps{app(u"_Tool"_s, true, 5, 3), app(u"apple"_s, true, -1, 3), app(u"Zebra"_s, false, 5, 9),
                                 app(u"Éclair"_s, true, 12, 2), app(u".hidden"_s, false, 0, 0)};
        QStringList names;
        for (const PMAppNodeRef &node : sortedApps(apps, order))
            names << node->appName();
        QCOMPARE(names, expected);
        // A nameless record sorts as a name without punctuation.
        QVERIFY(compareAppsByName(*app({}, false, 0, 0), *app(u"_a"_s, false, 0, 0)) > 0);
        QVERIFY(compareAppsByName(*app({}, false, 0, 0), *app(u"a"_s, false, 0, 0)) < 0);
    }

    void commandLine()
    {
        TempHome home;
        const QString apps = home.dataHome() + u"/applications"_s;
        const QString script = writeScript(home.root() + u"/bin/tool.sh"_s);
        writeEntry(apps, u"binary.desktop"_s, u"Exec=/bin/true"_s, utc("2023-01-02T03:04:05Z"));
        writeEntry(apps, u"script.desktop"_s, u"Exec="_s + script + u" %f\nX-AppImage-Version=0.9"_s,
                   utc("2022-01-01T00:00:00Z"));
        writeRecentUses(home.dataHome() + u"/recently-used.xbel"_s,
                        {{"file:///a", "tool", "&apos;tool.sh %u&apos;", "2024-07-08T09:10:11Z", 3}});
        const QByteArray bits = isX86_64() ? "YES" : "NO";
        const QByteArray binary = "binary.desktop\t" + apps.toUtf8() + "/binary.desktop\t1.0.0\t" + bits +
                                  "\t0\t2023-01-02 03:04:05\n";
        const QByteArray tool = "script.desktop\t" + apps.toUtf8() + "/script.desktop\t0.9\tNO\t3\t2024-07-08 09:10:11\n";
        const auto cli = [](const QList<QByteArray> &arguments) {
            return runProcess(qgetenv("VELLUMRY_CLI"), arguments, 60000);
        };
        const ProcessResult plain = cli({"apps"});
        QVERIFY(plain.succeeded());
        QCOMPARE(plain.standardOutput, binary + tool);
        QCOMPARE(cli({"apps", "--sort", "count"}).standardOutput, tool + binary);
        QCOMPARE(cli({"apps", "--sort=date"}).standardOutput, tool + binary);
        QCOMPARE(cli({"apps", "--sort", "name"}).standardOutput, binary + tool);
        for (const QList<QByteArray> &wrong : QList<QList<QByteArray>>{
                 {"apps", "--sort"}, {"apps", "--sort", "size"}, {"apps", "--all"}, {"apps", "extra"}}) {
            const ProcessResult run = cli(wrong);
            QCOMPARE(run.exitCode, 2);
            QVERIFY(run.standardOutput.isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestAppInventory)
#include "tst_appinventory.moc"
