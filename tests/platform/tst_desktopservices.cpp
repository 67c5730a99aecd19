// Opening, revealing and trashing files with real GIO, a real Trash and a private session bus; the
// desktop look from the environment, an XDG desktop portal on that bus and GNOME's own setting.
//
// The program re-starts itself under dbus-run-session, so the stand-in file manager and portal never meet
// the user's own bus. GIO and GSettings read the home folder, the desktop entries, the MIME data and the
// schemas once per process, so initTestCase() sets up the temporary home before any call.
#include "platform/Appearance.h"
#include "platform/DesktopServices.h"

#include "platform/ChildProcess.h"
#include "platform/NativePath.h"
#include "support/TempHome.h"
#include "support/TreeBuilder.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QFile>
#include <QMutex>
#include <QMutexLocker>
#include <QScopeGuard>
#include <QTest>
#include <QThread>

#include <atomic>
#include <vector>

#include <gio/gio.h>
#include <unistd.h>

using namespace vellumry;
using namespace Qt::StringLiterals;

namespace {

const QString kFileManagerService = u"org.freedesktop.FileManager1"_s;
const QString kStandInConnection = u"stand-ins"_s;

void writeFile(const QByteArray &path, const QByteArray &content)
{
    QFile file(QFile::decodeName(path)); // the fixture's own paths are plain ASCII
    if (!file.open(QIODevice::WriteOnly) || file.write(content) != content.size())
        qFatal("cannot write %s", path.constData());
}

QByteArray readFile(const QByteArray &path)
{
    return runProcess("/bin/cat", {path}).standardOutput;
}

// Below /org/freedesktop: a file manager that records the ShowItems calls it gets, and a portal that
// answers the appearance colour scheme the way portals do (Read wraps the value in one variant more).
// An older portal knows only Read, a silent one never answers.
class StandIns : public QDBusVirtualObject
{
public:
    std::atomic<uint> colorScheme = 0;
    std::atomic<int> kind = 0; // 0: current, 1: older (Read only), 2: silent

    QList<QStringList> shown() const
    {
        const QMutexLocker lock(&m_mutex);
        return m_shown;
    }

    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        const QVariant value = QVariant::fromValue(QDBusVariant(colorScheme.load()));
        const bool asked =
            message.interface() == u"org.freedesktop.portal.Settings"_s &&
            message.arguments() == QVariantList{u"org.freedesktop.appearance"_s, u"color-scheme"_s};
        if (message.path() == u"/org/freedesktop/FileManager1"_s && message.member() == u"ShowItems"_s) {
            const QMutexLocker lock(&m_mutex);
            m_shown.append(message.arguments().value(0).toStringList());
            connection.send(message.createReply());
        } else if (kind == 2) {
            message.setDelayedReply(true); // and never answer
        } else if (asked && message.member() == u"ReadOne"_s && kind == 0) {
            connection.send(message.createReply(value));
        } else if (asked && message.member() == u"Read"_s) {
            connection.send(message.createReply(QVariant::fromValue(QDBusVariant(value))));
        } else {
            connection.send(message.createErrorReply(QDBusError::UnknownMethod, u"No such method"_s));
        }
        return true;
    }

private:
    mutable QMutex m_mutex;
    QList<QStringList> m_shown;
};

} // namespace

class TestDesktopServices : public QObject
{
    Q_OBJECT

    StandIns m_standIns;
    bool m_memoryBackend = qputenv("GSETTINGS_BACKEND", "memory"); // never the user's desktop settings
    test::TempHome m_home;
    test::TreeBuilder m_files{toNativePath(m_home.home()) + "/files"}; // so the home Trash takes them
    QByteArray m_record = toNativePath(m_home.root()) + "/record";
    bool m_typeRegistered = false, m_gnome = false, m_bus = false;
    QThread m_standInThread;

    QByteArrayList recorded() const
    {
        QByteArrayList arguments = readFile(m_record).split('\0');
        arguments.removeLast(); // after the last NUL
        return arguments;
    }

private Q_SLOTS:
    void initTestCase()
    {
        const QByteArray dataHome = toNativePath(m_home.dataHome());
        // The recorder: an application that notes every argument it is started with, each ending in NUL.
        const QByteArray script = toNativePath(m_home.root()) + "/recorder.sh";
        writeFile(script, "printf '%s\\0' \"$@\" >> '" + m_record + "'\n");
        test::TreeBuilder data(dataHome);
        writeFile(data.dir("applications") + "/vellumry-test-recorder.desktop",
                  "[Desktop Entry]\nType=Application\nName=Recorder\nExec=/bin/sh \"" + script + "\" %F\n");
        // No MimeType= in the entry: it is the default only because mimeapps.list says so.
        writeFile(toNativePath(m_home.configHome()) + "/mimeapps.list",
                  "[Default Applications]\nx-test/vellumry=vellumry-test-recorder.desktop\n"
                  "inode/directory=vellumry-test-recorder.desktop\n");
        writeFile(data.dir("mime/packages") + "/vellumry-test.xml",
                  "<?xml version=\"1.0\"?>\n"
                  "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                  "  <mime-type type=\"x-test/vellumry\"><glob pattern=\"*.vellumrytest\"/></mime-type>\n"
                  "</mime-info>\n");
        m_typeRegistered =
            runProcess("/usr/bin/update-mime-database", {dataHome + "/mime"}, 60000).succeeded();
        // GNOME's schema with only its "color-scheme" key, where GSettings looks in the home.
        writeFile(data.dir("glib-2.0/schemas") + "/org.gnome.desktop.interface.gschema.xml",
                  R"(<schemalist><enum id="org.gnome.desktop.GDesktopColorScheme">
<value nick="default" value="0"/><value nick="prefer-dark" value="1"/><value nick="prefer-light" value="2"/>
</enum><schema id="org.gnome.desktop.interface" path="/org/gnome/desktop/interface/">
<key name="color-scheme" enum="org.gnome.desktop.GDesktopColorScheme"><default>'default'</default></key>
</schema></schemalist>
)");
        m_gnome = runProcess("/usr/bin/glib-compile-schemas", {dataHome + "/glib-2.0/schemas"}).succeeded();

        if (qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS")) {
            // On their own connection and thread, as a separate process would be, while the test thread
            // waits in the blocking call.
            m_standInThread.start();
            m_standIns.moveToThread(&m_standInThread);
            QDBusConnection bus =
                QDBusConnection::connectToBus(QDBusConnection::SessionBus, kStandInConnection);
            QVERIFY(bus.registerVirtualObject(u"/org/freedesktop"_s, &m_standIns, QDBusConnection::SubPath));
            QVERIFY(bus.registerService(u"org.freedesktop.portal.Desktop"_s));
            m_bus = true;
        }
    }

    void cleanupTestCase()
    {
        QDBusConnection::disconnectFromBus(kStandInConnection);
        m_standInThread.quit();
        m_standInThread.wait();
    }

    void init() { writeFile(m_record, {}); }

    void actions_data()
    {
        QTest::addColumn<QByteArray>("action");
        // Made as a 10-byte file, as a folder holding one when it ends in '/', not at all when "missing".
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QString>("reason");    // empty: succeeds
        QTest::addColumn<QByteArray>("opened"); // what the default application is started with
        const auto row = [](const char *tag, const QByteArray &action, const QByteArray &name,
                            const QString &reason = {}, const QByteArray &opened = {}) {
            QTest::newRow(tag) << action << name << reason << opened;
        };
        row("open registered type", "open", "my r\xe9sum\xe9.vellumrytest", {}, "my r\xe9sum\xe9.vellumrytest");
        row("open folder", "open", "a folder/", {}, "a folder");
        row("reveal without a file manager", "reveal", "alone here/x y.txt", {}, "alone here");
        row("open missing", "open", "missing", u"no such file"_s);
        row("reveal missing", "reveal", "missing", u"no such file"_s);
        row("open unknown kind", "open", "data.unknownkind", u"no application opens this kind of file"_s);
        // Trashed under the same name, with the original place in the info file.
        row("trash space", "trash", "a b.txt");
        row("trash percent", "trash", "100%.txt");
        row("trash newline", "trash", "line\nbreak");
        row("trash byte not UTF-8", "trash", "r\xe9sum\xe9");
        row("trash folder", "trash", "full folder/");
    }
    void actions()
    {
        QFETCH(QByteArray, action);
        QFETCH(QByteArray, name);
        QFETCH(QString, reason);
        QFETCH(QByteArray, opened);
        if (name.endsWith(".vellumrytest") && !m_typeRegistered)
            QSKIP("update-mime-database (shared-mime-info) is needed to register a test type");
        const QByteArray rel = "act/" + QByteArray(QTest::currentDataTag()) + '/';
        const bool folder = name.endsWith('/');
        const QByteArray path = m_files.path(QByteArray(rel + name).chopped(folder ? 1 : 0));
        if (name != "missing")
            m_files.file(QByteArray(rel + name + (folder ? "inside" : "")), 10);
        const ActionResult result = action == "open"     ? openWithDefaultApplication(path)
                                    : action == "reveal" ? revealInFileManager(path)
                                                         : moveToTrash(path);
        QCOMPARE(result.reason, reason);
        QCOMPARE(result.ok, reason.isEmpty());
        if (!opened.isNull())
            QTRY_COMPARE_WITH_TIMEOUT(recorded(), QByteArrayList{m_files.path(QByteArray(rel + opened))},
                                      10000);
        if (action == "trash" && result.ok) {
            QVERIFY(::access(path.constData(), F_OK) != 0);
            const QByteArray trash = toNativePath(m_home.dataHome()) + "/Trash/", base = name.chopped(folder ? 1 : 0);
            QCOMPARE(readFile(trash + "files/" + base + (folder ? "/inside" : "")).size(), 10);
            const QByteArray info = readFile(trash + "info/" + base + ".trashinfo");
            QVERIFY2(info.contains(QByteArray("\nPath=" + path.toPercentEncoding("/") + '\n')), info.constData());
        }
    }

    void revealShowsEachFileInTheFileManager()
    {
        if (!m_bus)
            QSKIP("dbus-run-session is needed for a private session bus");
        QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, kStandInConnection);
        QVERIFY(bus.registerService(kFileManagerService));
        const auto release = qScopeGuard([&bus] { bus.unregisterService(kFileManagerService); });
        const QByteArray first = m_files.file("reveal/one/a b.txt");
        const QByteArray second = m_files.file("reveal/two/r\xe9sum\xe9 100%.txt");
        QList<QStringList> uris;
        for (const QByteArray &path : {first, second}) {
            const ActionResult result = revealInFileManager(path);
            QVERIFY2(result.ok, qPrintable(result.reason));
            uris.append({QString::fromLatin1("file://" + path.toPercentEncoding("/"))});
        }
        QCOMPARE(m_standIns.shown(), uris);
        QCOMPARE(recorded(), QByteArrayList());
    }

    void look_data()
    {
        QTest::addColumn<QByteArray>("environment"); // VELLUMRY_INTERFACE_STYLE; null leaves it unset
        QTest::addColumn<uint>("colorScheme");       // the portal's answer
        QTest::addColumn<int>("kind");               // the portal's kind
        QTest::addColumn<QByteArray>("gnome");       // GNOME's color-scheme
        QTest::addColumn<QString>("style");
        const auto row = [](const char *tag, const QByteArray &environment, uint colorScheme, int kind,
                            const QByteArray &gnome, const QString &style) {
            QTest::newRow(tag) << environment << colorScheme << kind << gnome << style;
        };
        row("portal prefers dark", {}, 1, 0, "default", u"Dark"_s);
        row("portal without preference over GNOME dark", {}, 0, 0, "prefer-dark", {});
        row("environment lIGHT over portal dark", "lIGHT", 1, 0, "prefer-dark", {});
        row("environment DARK, padded", " DARK\n", 0, 0, "prefer-light", u"Dark"_s);
        row("environment garbage ignored", "Darkish", 1, 0, "default", u"Dark"_s);
        // From here on the portal lacks ReadOne; then it falls silent, and GNOME answers once the
        // portal had its chance without later calls waiting for the portal again.
        row("older portal", {}, 1, 1, "default", u"Dark"_s);
        row("silent portal, GNOME dark", {}, 1, 2, "prefer-dark", u"Dark"_s);
        row("silent portal, GNOME light", {}, 1, 2, "prefer-light", {});
    }
    void look()
    {
        QFETCH(QByteArray, environment);
        QFETCH(uint, colorScheme);
        QFETCH(int, kind);
        QFETCH(QByteArray, gnome);
        QFETCH(QString, style);
        if (!m_bus || !m_gnome)
            QSKIP("dbus-run-session and glib-compile-schemas are needed");
        GSettings *settings = g_settings_new("org.gnome.desktop.interface");
        g_settings_set_string(settings, "color-scheme", gnome.constData());
        g_settings_sync();
        g_object_unref(settings);
        QVERIFY(environment.isNull() ? qunsetenv("VELLUMRY_INTERFACE_STYLE")
                                     : qputenv("VELLUMRY_INTERFACE_STYLE", environment));
        m_standIns.colorScheme = colorScheme;
        m_standIns.kind = kind;
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < 10; ++i) // polled every second: no call may wait long
            QCOMPARE(interfaceStyle(), style);
        QCOMPARE_LT(timer.elapsed(), 1000);
    }
};

// Runs the tests on a private session bus of their own; never falls back to the user's own.
int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("VELLUMRY_TEST_PRIVATE_BUS")) {
        qputenv("VELLUMRY_TEST_PRIVATE_BUS", "1");
        std::vector<char *> arguments{const_cast<char *>("dbus-run-session"), const_cast<char *>("--")};
        arguments.insert(arguments.end(), argv, argv + argc + 1); // with the closing null
        ::execvp("dbus-run-session", arguments.data());
        qunsetenv("DBUS_SESSION_BUS_ADDRESS"); // not found: the bus tests skip
    }
    QCoreApplication app(argc, argv);
    TestDesktopServices test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_desktopservices.moc"
