// The inventory of installed applications in a temporary home with its own application folders, its
// orders, and vellumry-cli apps as scripts see it; the background pool the scans run on; the application
// box without widgets (last-use texts, narrowing, search, the stored list and vellumry-cli box).
#include "appmanager/AppBox.h"
#include "appmanager/AppInventory.h"
#include "appmanager/AppSorting.h"
#include "platform/Background.h"
#include "platform/ChildProcess.h"
#include "support/TempHome.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSignalSpy>
#include <QTest>
#include <QThread>

#include <memory>
#include <tuple>

#include <unistd.h>

Q_DECLARE_METATYPE(vellumry::AppSortOrder)

using namespace vellumry;
using namespace vellumry::test;
using namespace Qt::StringLiterals;

namespace {

// Writes `text` to `path` (its folder made), adding `extra` permissions and, when valid, dating it `mtime`.
QString writeFile(const QString &path, const QByteArray &text, QFile::Permissions extra = {}, const QDateTime &mtime = {})
{
    QFile file(path);
    if (!QDir().mkpath(QFileInfo(path).absolutePath()) || !file.open(QIODevice::WriteOnly) || file.write(text) != text.size() ||
        !file.flush() || !file.setPermissions(file.permissions() | extra) ||
        (mtime.isValid() && !file.setFileTime(mtime, QFileDevice::FileModificationTime)))
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// Writes <folder>/<name> with a [Desktop Entry] group made of `keys` (already "Key=Value" lines).
QString writeEntry(const QString &folder, const QString &name, const QString &keys, const QDateTime &mtime = {})
{
    return writeFile(folder + u'/' + name, "[Desktop Entry]\nType=Application\n" + keys.toUtf8() + '\n', {}, mtime);
}

QString writeScript(const QString &path) { return writeFile(path, "#!/bin/sh\nexit 0\n", QFile::ExeOwner); }

struct Use
{
    const char *href;
    const char *name;
    const char *exec;
    const char *modified; // ISO 8601, UTC
    int count;
};

// A recently-used.xbel in GLib's format with one bookmark per distinct href.
void writeRecentUses(const QString &path, const QList<Use> &uses)
{
    QMap<QByteArray, QByteArray> applications; // by href
    for (const Use &use : uses)
        applications[use.href] += QByteArray("<bookmark:application name=\"") + use.name + "\" exec=\"" + use.exec +
                                  "\" modified=\"" + use.modified + "\" count=\"" + QByteArray::number(use.count) + "\"/>\n";
    QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<xbel version=\"1.0\" xmlns:bookmark=\"http://www.freedesktop.org/standards/desktop-bookmarks\""
                     " xmlns:mime=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
    for (const auto &[href, entries] : applications.asKeyValueRange())
        xml += "<bookmark href=\"" + href + "\" added=\"2024-01-01T00:00:00Z\" modified=\"2024-01-01T00:00:00Z\""
               " visited=\"2024-01-01T00:00:00Z\"><info><metadata owner=\"http://freedesktop.org\">"
               "<mime:mime-type type=\"text/plain\"/><bookmark:applications>\n" + entries +
               "</bookmark:applications></metadata></info></bookmark>\n";
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(xml + "</xbel>\n") < 0)
        qFatal("cannot write %s", qPrintable(path));
}

QDateTime utc(const char *iso) { return QDateTime::fromString(QString::fromLatin1(iso), Qt::ISODate).toUTC(); }

bool isX86_64() { return QSysInfo::currentCpuArchitecture() == QLatin1String("x86_64"); }

const QDateTime kNow = QDateTime(QDate(2024, 3, 1), QTime(12, 0), Qt::UTC);

// A record from a short description: name, use count, last use (-1: never) and 64-bit.
PMAppNodeRef node(const QString &name, int count = 0, qint64 secondsAgo = -1, bool x64 = false)
{
    auto n = PMAppNodeRef::create();
    n->setAppName(name);
    n->setAppPath(u"/apps/"_s + name);
    n->setUsedCount(count);
    n->setB64bit(x64);
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

} // namespace

class TestAppInventory : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // One home: the user's entries shadow and delete the system's, links, broken files and hidden entries are
    // left out, subfolders are searched; uses come from the recent-use store by program, desktop-file ID and
    // name. `vellumry-cli apps` prints it all in each order; the scan hands each record back as it goes.
    void inventory()
    {
        TempHome home;
        const QString user = home.dataHome() + u"/applications"_s, system = home.dataDirs() + u"/applications"_s;
        const QDateTime mtime = utc("2023-05-06T07:08:09Z");
        const QString script = writeScript(home.root() + u"/bin/tool.sh"_s);
        for (const auto &[folder, name, keys] : {
                 std::tuple{user, "a.desktop", u"Exec=/bin/true"_s},
                 {user, "hidden.desktop", u"Exec=/bin/true\nHidden=true"_s},
                 {user, "link.desktop", u"Type=Link\nURL=https://example.org"_s},
                 {user, "org.example.Editor.desktop", u"Name=Editor\nExec=/no/such/editor --new %F"_s},
                 {user, "script.desktop", u"Exec="_s + script + u" %f\nX-AppImage-Version=0.9"_s},
                 {user, "tools/x.desktop", u"Name=Never\nExec=never"_s},
                 {user, "viewer.desktop", u"Name=Viewer\nExec=viewer %U"_s},
                 {system, "a.desktop", u"Exec=/bin/false"_s},      // shadowed by the user's a.desktop
                 {system, "hidden.desktop", u"Exec=/bin/false"_s}, // deleted by the user's Hidden entry
                 {system, "b.desktop", u"Exec=b %U\nIcon=b-icon"_s}})
            writeEntry(folder, QString::fromLatin1(name), keys, mtime);
        writeFile(system + u"/broken.desktop"_s, "just text\n"); // no [Desktop Entry] group: cannot be loaded
        writeRecentUses(home.dataHome() + u"/recently-used.xbel"_s,
                        {{"file:///a.txt", "editor", "&apos;editor %u&apos;", "2024-02-01T10:00:00Z", 2},
                         {"file:///b.txt", "editor", "&apos;/no/such/editor %u&apos;", "2024-03-01T10:00:00Z", 3},
                         {"file:///b.txt", "Viewer", "&apos;other-viewer %u&apos;", "2024-01-01T00:00:00Z", 4},
                         {"file:///c.txt", "org.example.Editor", "&apos;x %u&apos;", "2023-01-01T00:00:00Z", 1},
                         {"file:///c.txt", "neverish", "&apos;neverish %u&apos;", "2024-06-01T00:00:00Z", 9},
                         {"file:///d", "tool", "&apos;tool.sh %u&apos;", "2024-07-08T09:10:11Z", 3}});

        PMAppNodeList records{PMAppNodeRef::create()}; // not emptied first
        int loads = 0, finishes = 0;
        InventoryHandBacks handBacks{[&] {
                                          ++loads;
                                          QCOMPARE(finishes, 0);
                                      },
                                      [&] { ++finishes; }};
        QCOMPARE(scanAllApplicationFolder(records, handBacks), 6);
        QVERIFY(loads == 6 && finishes == 1 && records.size() == 7);
        QCOMPARE(records.last()->appImage(), u"b-icon"_s);
        QCOMPARE(records.last()->modifyDate(), mtime);

        // The seventh field: the menus' name, else the file name.
        const QByteArray u = user.toUtf8() + '/', never = "\t0\t2023-05-06 07:08:09\t"; // never used: the file's date
        const QByteArray a = "a.desktop\t" + u + "a.desktop\t1.0.0\t" + (isX86_64() ? "YES" : "NO") + never + "a.desktop\n",
                         e = "org.example.Editor.desktop\t" + u + "org.example.Editor.desktop\t1.0.0\tNO\t6\t2024-03-01 10:00:00\tEditor\n",
                         t = "script.desktop\t" + u + "script.desktop\t0.9\tNO\t3\t2024-07-08 09:10:11\tscript.desktop\n",
                         x = "x.desktop\t" + u + "tools/x.desktop\t1.0.0\tNO" + never + "Never\n",
                         v = "viewer.desktop\t" + u + "viewer.desktop\t1.0.0\tNO\t4\t2024-01-01 00:00:00\tViewer\n",
                         b = "b.desktop\t" + system.toUtf8() + "/b.desktop\t1.0.0\tNO" + never + "b.desktop\n";
        const std::pair<QList<QByteArray>, QByteArray> runs[] = {
            {{"apps"}, a + e + t + x + v + b},
            {{"apps", "--sort", "count"}, e + v + t + a + x + b},
            {{"apps", "--sort=date"}, t + e + v + a + x + b},
            {{"apps", "--sort", "name"}, a + b + e + t + v + x},
            {{"apps", "--sort"}, {}},
            {{"apps", "--sort", "size"}, {}},
            {{"apps", "--all"}, {}},
            {{"apps", "extra"}, {}},
        };
        for (const auto &[arguments, output] : runs) {
            const ProcessResult run = runProcess(qgetenv("VELLUMRY_CLI"), arguments, 60000);
            QCOMPARE(run.exitCode, output.isEmpty() ? 2 : 0);
            QCOMPARE(run.standardOutput, output);
        }

        // What the tray box reads: a desktop entry, or an executable file by its program name.
        const RecentUseStore uses = RecentUseStore::load();
        QCOMPARE(GetAppUsedCount(user + u"/org.example.Editor.desktop"_s), 6);
        const RecentUseStore::Use program = recentUseOf(u"/opt/my tools/neverish"_s, uses);
        QCOMPARE(program.count, 9);
        QCOMPARE(program.lastUsed, utc("2024-06-01T00:00:00Z"));
        QCOMPARE(recentUseOf(user + u"/missing.desktop"_s, uses).count, 0);
    }

    // Each entry alone in a home, read in a language: the menus' name in that language, entries the menus leave
    // out marked with the reason (still listed, for the user to clean up), files that cannot be read left out.
    void entries_data()
    {
        QTest::addColumn<QByteArray>("keys");
        QTest::addColumn<QString>("language"); // "unreadable": the file's permissions taken away
        QTest::addColumn<QString>("name");     // empty: not listed
        QTest::addColumn<QString>("hidden");   // part of the reason; empty: the menus show it
        const QByteArray names = "Name=Viewer\nName[de]=Betrachter\n", run = "Exec=/bin/true\n";
        QTest::newRow("language") << names + run << u"de"_s << u"Betrachter"_s << QString();
        QTest::newRow("language of a country") << names + run << u"de_AT.UTF-8"_s << u"Betrachter"_s << QString();
        QTest::newRow("another language") << names + run << u"fr"_s << u"Viewer"_s << QString();
        QTest::newRow("no name") << run << u"de"_s << u"e.desktop"_s << QString();
        QTest::newRow("NoDisplay") << names + run + "NoDisplay=true" << u"de"_s << u"Betrachter"_s << u"NoDisplay"_s;
        QTest::newRow("program missing") << names + "Exec=no-such-program %f" << u"C"_s << u"Viewer"_s << u"program is missing"_s;
        QTest::newRow("TryExec missing") << names + run + "TryExec=/no/such" << u"C"_s << u"Viewer"_s << u"program is missing"_s;
        QTest::newRow("unreadable") << names + run << u"unreadable"_s << QString() << QString();
        QTest::newRow("not a key file") << QByteArray("\xff\xfe garbage") << u"C"_s << QString() << QString();
    }
    void entries()
    {
        QFETCH(QByteArray, keys);
        QFETCH(QString, language);
        QFETCH(QString, name);
        QFETCH(QString, hidden);
        TempHome home;
        const QString path = writeFile(home.dataHome() + u"/applications/e.desktop"_s,
                                       keys.startsWith('\xff') ? keys : "[Desktop Entry]\nType=Application\n" + keys + '\n');
        if (language == u"unreadable"_s && (::geteuid() == 0 || !QFile::setPermissions(path, {})))
            QSKIP("root reads every file");
        const QByteArray before = qgetenv("LANGUAGE");
        qputenv("LANGUAGE", language.toUtf8());
        PMAppNodeList records;
        scanAllApplicationFolder(records);
        qputenv("LANGUAGE", before);
        QCOMPARE(records.size(), name.isEmpty() ? 0 : 1);
        for (const PMAppNodeRef &record : records) // the file name stays the record's identifier
            QVERIFY(record->shownName() == name && record->appName() == u"e.desktop"_s &&
                    record->hiddenReason().isEmpty() == hidden.isEmpty() && record->hiddenReason().contains(hidden));
    }

    // No entries: nothing handed back, and it is logged. An unreadable store of uses counts -1, and the last
    // use is then the entry's date.
    void emptyInventoryAndUnreadableStore()
    {
        TempHome home;
        PMAppNodeList records;
        int calls = 0;
        InventoryHandBacks handBacks{[&] { ++calls; }, [&] { ++calls; }};
        QTest::ignoreMessage(QtInfoMsg, "No find Duplicat files");
        QCOMPARE(scanAllApplicationFolder(records, handBacks), 0);
        QCOMPARE(calls, 0);

        const QDateTime mtime = utc("2023-05-06T07:08:09Z");
        const QString entry = writeEntry(home.dataHome() + u"/applications"_s, u"editor.desktop"_s, u"Exec=editor"_s, mtime);
        writeFile(home.dataHome() + u"/recently-used.xbel"_s, "<xbel version=\"1.0\"><bookmark href=");
        QCOMPARE(GetAppUsedCount(entry), -1);
        scanAllApplicationFolder(records);
        QVERIFY(records.size() == 1 && records[0]->usedCount() == -1);
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
        const QString entry = writeEntry(home.dataHome() + u"/applications"_s, u"t.desktop"_s, keys.replace(u"%1"_s, own));
        QCOMPARE(is64bitApplicationwithfilepath(entry), expected);
    }

    void packageVersions()
    {
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
        const PMAppNodeList apps{node(u"_Tool"_s, 5, 300, true), node(u"apple"_s, -1, 300, true), node(u"Zebra"_s, 5, 100),
                                 node(u"Éclair"_s, 12, 400, true), node(u".hidden"_s)};
        QCOMPARE(names(sortedApps(apps, order)), expected);
        // A nameless record sorts as a name without punctuation.
        QVERIFY(compareAppsByName(*node({}), *node(u"_a"_s)) > 0 && compareAppsByName(*node({}), *node(u"a"_s)) < 0);
    }

    // Work handed to the background pool: its result comes back on the context's thread, and never to a
    // context that is gone.
    void backgroundDoneRunsOnTheContextThreadOnlyWhileItLives()
    {
        QObject context;
        int done = 0;
        for (int i = 0; i < 200; ++i) { // quick work: its end races with the hand-over being set up
            runInBackground(
                &context, [](const Cancellation &) { return QThread::currentThread(); },
                [&](QThread *worker) {
                    QVERIFY(worker != QThread::currentThread());
                    QCOMPARE(QThread::currentThread(), context.thread());
                    ++done;
                });
        }
        QTRY_COMPARE(done, 200);

        auto gone = std::make_unique<QObject>();
        bool reached = false;
        const auto waitForCancel = [](const Cancellation &c) {
            while (!c.isCancelled())
                QThread::msleep(1);
            return 1;
        };
        const Cancellation cancellation = runInBackground(gone.get(), waitForCancel, [&](int) { reached = true; });
        gone.reset();
        cancellation.cancel();
        backgroundPool()->waitForDone();
        QCoreApplication::processEvents();
        QVERIFY(!reached);
    }

    void elapsedText_data()
    {
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<QString>("text");
        QTest::newRow("future") << qint64(-5) << u"in the future"_s;
        QTest::newRow("60") << qint64(60) << u"just now"_s;
        QTest::newRow("61") << qint64(61) << u"1 minute(s) ago"_s;
        QTest::newRow("3599") << qint64(3599) << u"59 minute(s) ago"_s;
        QTest::newRow("one hour") << qint64(3600) << u"1 hours(s) ago"_s;
        QTest::newRow("86399") << qint64(86399) << u"23 hours(s) ago"_s;
        QTest::newRow("86400") << qint64(86400) << u"1 days(s) ago"_s;
        QTest::newRow("2591999") << qint64(2591999) << u"29 days(s) ago"_s;
        QTest::newRow("2592000") << qint64(2592000) << u"1 month(s) ago"_s;
        QTest::newRow("31103999") << qint64(31103999) << u"11 month(s) ago"_s;
        QTest::newRow("31104000") << qint64(31104000) << u"1 year(s) ago"_s;
    }
    void elapsedText()
    {
        QFETCH(qint64, seconds);
        QFETCH(QString, text);
        QCOMPARE(elapsedTimeText(seconds), text);
        // From dates: the fraction of a second is cut off.
        QCOMPARE(elapsedTimeText(kNow.addMSecs(-seconds * 1000 - 999), kNow), text);
    }

    // Above the threshold only, most used first; the counts may come from elsewhere than the records. The
    // last seven days are kept, the seventh included.
    void narrowing()
    {
        const PMAppNodeList shown{node(u"five"_s, 5), node(u"six"_s, 6), node(u"twelve"_s, 12),
                                  node(u"sixb"_s, 6), node(u"failed"_s, -1)};
        QCOMPARE(names(narrowByUsedCount(shown, 5)), (QStringList{u"twelve"_s, u"six"_s, u"sixb"_s}));
        const AppUsageReader fromDesktop = [](const PMAppNode &n) { return AppUsage{n.appName() == u"five"_s ? 50 : 0, {}}; };
        QCOMPARE(names(narrowByUsedCount(shown, 5, fromDesktop)), QStringList{u"five"_s});
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
        // A removed item leaves what is shown, and comes back when the list is ordered again.
        const PMAppNodeRef slack = box.getAppItemArray().at(1);
        QVERIFY(box.removeShown(slack) && !box.removeShown(slack) && !box.removeShown(node(u"Slack"_s)));
        QCOMPARE(names(box.getAppItemArray()), (QStringList{u"Safari"_s, u"Terminal"_s, u"xsane"_s}));
        box.ArrageArrayByName();
        QCOMPARE(names(box.getAppItemArray()), (QStringList{u"Safari"_s, u"Slack"_s, u"Terminal"_s, u"xsane"_s}));
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

    // `vellumry-cli box` on a stored list, step by step: what each file is refused for, duplicates all
    // removed at once, names escaped, usage errors.
    void commandLine()
    {
        TempHome home;
        const QString dir = home.home();
        writeFile(dir + u"/calc.desktop"_s, "[Desktop Entry]\nType=Application\nName=Calculator\nExec=true\n");
        writeFile(dir + u"/tab\tname"_s, "#!/bin/sh\n", QFile::ExeOwner);
        writeFile(dir + u"/notes.txt"_s, "x");
        writeFile(dir + u"/broken.desktop"_s, "not an entry", QFile::ExeOwner);
        QDir(dir).mkdir(u"folder"_s);
        const QByteArray d = dir.toUtf8() + '/';
        const std::tuple<QList<QByteArray>, int, QByteArray> steps[] = { // arguments after "box", status, output
            {{"add", d + "calc.desktop", d + "notes.txt", d + "tab\tname", d + "broken.desktop", d + "folder", d + "missing"},
             1,
             "added\t" + d + "calc.desktop\nrefused\t" + d + "notes.txt\tnot executable\nadded\t" + d + "tab\\tname\n" +
                 "refused\t" + d + "broken.desktop\tnot a usable desktop entry\nrefused\t" + d + "folder\ta folder\n" +
                 "refused\t" + d + "missing\tno such file\n"},
            {{"add", d + "calc.desktop"}, 0, "added\t" + d + "calc.desktop\n"},
            {{"list"}, 0, d + "calc.desktop\n" + d + "tab\\tname\n" + d + "calc.desktop\n"},
            {{"remove", d + "calc.desktop"}, 0, "removed\t" + d + "calc.desktop\n"},
            {{"remove", d + "calc.desktop"}, 1, "absent\t" + d + "calc.desktop\n"},
            {{"list"}, 0, d + "tab\\tname\n"},
            {QList<QByteArray>(), 2, QByteArray()},
            {{"add"}, 2, QByteArray()},
            {{"list", "x"}, 2, QByteArray()},
            {{"sort"}, 2, QByteArray()},
        };
        for (const auto &[arguments, status, output] : steps) {
            const ProcessResult run = runProcess(qgetenv("VELLUMRY_CLI"), QList<QByteArray>{"box"} + arguments);
            QCOMPARE(run.exitCode, status);
            QCOMPARE(run.standardOutput, output);
        }
    }
};

QTEST_GUILESS_MAIN(TestAppInventory)
#include "tst_appinventory.moc"
