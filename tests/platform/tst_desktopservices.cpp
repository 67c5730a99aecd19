// Opening, revealing and trashing files with real GIO, a real Trash and a private session bus; the
// desktop look from an XDG desktop portal on that bus.
//
// The program re-starts itself under dbus-run-session, so the stand-in file manager and portal never meet
// the user's own bus. GIO reads the home folder, the desktop entries and the MIME data once per process,
// so initTestCase() sets up the temporary home before any call.
#include "platform/Appearance.h"
#include "platform/DesktopServices.h"

#include "GnomeColorScheme.h"

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
#include <memory>
#include <vector>

#include <unistd.h>

using namespace vellumry;
using namespace Qt::StringLiterals;

namespace {

const QString kFileManagerService = u"org.freedesktop.FileManager1"_s;
const QString kFileManagerPath = u"/org/freedesktop/FileManager1"_s;
const QString kStandInConnection = u"stand-in file manager"_s;

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

// Records the ShowItems calls it gets, as a file manager on the bus would receive them.
class StandInFileManager : public QObject
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    QList<QStringList> calls() const
    {
        const QMutexLocker lock(&m_mutex);
        return m_calls;
    }

public Q_SLOTS:
    void ShowItems(const QStringList &uris, const QString &)
    {
        const QMutexLocker lock(&m_mutex);
        m_calls.append(uris);
    }

private:
    mutable QMutex m_mutex;
    QList<QStringList> m_calls;
};

// Answers the appearance colour scheme the way portals do (Read wraps the value in one variant more);
// an older portal knows only Read, a silent one never answers.
class StandInPortal : public QDBusVirtualObject
{
public:
    std::atomic<uint> colorScheme = 0;
    std::atomic<int> kind = 0; // 0: current, 1: older (Read only), 2: silent

    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        const QVariant value = QVariant::fromValue(QDBusVariant(colorScheme.load()));
        const bool asked =
            message.interface() == u"org.freedesktop.portal.Settings"_s &&
            message.arguments() == QVariantList{u"org.freedesktop.appearance"_s, u"color-scheme"_s};
        if (kind == 2)
            message.setDelayedReply(true); // and never answer
        else if (asked && message.member() == u"ReadOne"_s && kind == 0)
            connection.send(message.createReply(value));
        else if (asked && message.member() == u"Read"_s)
            connection.send(message.createReply(QVariant::fromValue(QDBusVariant(value))));
        else
            connection.send(message.createErrorReply(QDBusError::UnknownMethod, u"No such method"_s));
        return true;
    }
};

} // namespace

class TestDesktopServices : public QObject
{
    Q_OBJECT

    test::GnomeColorScheme m_gnome; // before any use of GSettings
    StandInPortal m_portal;
    std::unique_ptr<test::TempHome> m_home;
    std::unique_ptr<test::TreeBuilder> m_files; // inside the home, so the home Trash takes them
    QByteArray m_record;
    bool m_typeRegistered = false;
    QThread m_fileManagerThread;
    StandInFileManager *m_fileManager = nullptr;

    QByteArrayList recorded() const
    {
        QByteArrayList arguments = readFile(m_record).split('\0');
        arguments.removeLast(); // after the last NUL
        return arguments;
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_home = std::make_unique<test::TempHome>();
        const QByteArray root = toNativePath(m_home->root());
        const QByteArray dataHome = toNativePath(m_home->dataHome());
        m_files = std::make_unique<test::TreeBuilder>(toNativePath(m_home->home()) + "/files");
        m_record = root + "/record";

        // The recorder: an application that notes every argument it is started with, each ending in NUL.
        const QByteArray script = root + "/recorder.sh";
        writeFile(script, "printf '%s\\0' \"$@\" >> '" + m_record + "'\n");
        test::TreeBuilder data(dataHome);
        data.dir("applications");
        writeFile(dataHome + "/applications/vellumry-test-recorder.desktop",
                  "[Desktop Entry]\nType=Application\nName=Recorder\nExec=/bin/sh \"" + script + "\" %F\n");
        // No MimeType= in the entry: it is the default only because mimeapps.list says so.
        writeFile(toNativePath(m_home->configHome()) + "/mimeapps.list",
                  "[Default Applications]\nx-test/vellumry=vellumry-test-recorder.desktop\n"
                  "inode/directory=vellumry-test-recorder.desktop\n");

        data.dir("mime/packages");
        writeFile(dataHome + "/mime/packages/vellumry-test.xml",
                  "<?xml version=\"1.0\"?>\n"
                  "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
                  "  <mime-type type=\"x-test/vellumry\"><glob pattern=\"*.vellumrytest\"/></mime-type>\n"
                  "</mime-info>\n");
        m_typeRegistered =
            runProcess("/usr/bin/update-mime-database", {dataHome + "/mime"}, 60000).succeeded();

        if (qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS")) {
            // On its own connection and thread, as a separate process would be, while the test thread
            // waits in the blocking call.
            m_fileManagerThread.start();
            m_fileManager = new StandInFileManager;
            m_fileManager->moveToThread(&m_fileManagerThread);
            QDBusConnection bus =
                QDBusConnection::connectToBus(QDBusConnection::SessionBus, kStandInConnection);
            QVERIFY(bus.isConnected());
            QVERIFY(bus.registerObject(kFileManagerPath, m_fileManager, QDBusConnection::ExportAllSlots));
            m_portal.moveToThread(&m_fileManagerThread);
            QVERIFY(bus.registerVirtualObject(u"/org/freedesktop/portal/desktop"_s, &m_portal,
                                              QDBusConnection::SingleNode));
            QVERIFY(bus.registerService(u"org.freedesktop.portal.Desktop"_s));
        }
    }

    void cleanupTestCase()
    {
        QDBusConnection::disconnectFromBus(kStandInConnection);
        m_fileManagerThread.quit();
        m_fileManagerThread.wait();
        delete m_fileManager;
        // The Trash holds names QDir cannot decode: rm removes them, then the home goes.
        runProcess("/bin/rm", {"-rf", "--", toNativePath(m_home->root())});
        m_files.reset();
        m_home.reset();
    }

    void init() { writeFile(m_record, {}); }

    void actions_data()
    {
        QTest::addColumn<QByteArray>("action");
        // The name is made as a file, as a folder when it ends in '/', and not at all when it is "missing".
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QString>("reason");    // empty: succeeds
        QTest::addColumn<QByteArray>("opened"); // what the default application is started with
        const auto row = [](const char *tag, const QByteArray &action, const QByteArray &name,
                            const QString &reason, const QByteArray &opened) {
            QTest::newRow(tag) << action << name << reason << opened;
        };
        row("open registered type", "open", "my r\xe9sum\xe9.vellumrytest", {},
            "my r\xe9sum\xe9.vellumrytest");
        row("open folder", "open", "a folder/", {}, "a folder");
        row("reveal without a file manager", "reveal", "alone here/x y.txt", {}, "alone here");
        row("open missing", "open", "missing", u"no such file"_s, {});
        row("reveal missing", "reveal", "missing", u"no such file"_s, {});
        row("trash missing", "trash", "missing", u"no such file"_s, {});
        row("open unknown kind", "open", "data.unknownkind", u"no application opens this kind of file"_s, {});
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
        const QByteArray path = name.endsWith('/')  ? m_files->dir(QByteArray(rel + name.chopped(1)))
                                : name == "missing" ? m_files->path(QByteArray(rel + name))
                                                    : m_files->file(QByteArray(rel + name), 10);
        const ActionResult result = action == "open"     ? openWithDefaultApplication(path)
                                    : action == "reveal" ? revealInFileManager(path)
                                                         : moveToTrash(path);
        QCOMPARE(result.reason, reason);
        QCOMPARE(result.ok, reason.isEmpty());
        if (!opened.isNull())
            QTRY_COMPARE_WITH_TIMEOUT(recorded(), QByteArrayList{m_files->path(QByteArray(rel + opened))},
                                      10000);
    }

    void revealShowsEachFileInTheFileManager()
    {
        if (!m_fileManager)
            QSKIP("dbus-run-session is needed for a private session bus");
        QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, kStandInConnection);
        QVERIFY(bus.registerService(kFileManagerService));
        const auto release = qScopeGuard([&bus] { bus.unregisterService(kFileManagerService); });
        const QByteArray first = m_files->file("reveal/one/a b.txt");
        const QByteArray second = m_files->file("reveal/two/r\xe9sum\xe9 100%.txt");

        for (const QByteArray &path : {first, second}) {
            const ActionResult result = revealInFileManager(path);
            QVERIFY2(result.ok, qPrintable(result.reason));
        }
        const auto uri = [](const QByteArray &path) {
            return QString::fromLatin1("file://" + path.toPercentEncoding("/"));
        };
        QCOMPARE(m_fileManager->calls(), (QList<QStringList>{{uri(first)}, {uri(second)}}));
        QCOMPARE(recorded(), QByteArrayList());
    }

    void trashKeepsNameAndOrigin_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("folder");
        QTest::newRow("space") << "a b.txt"_ba << false;
        QTest::newRow("percent") << "100%.txt"_ba << false;
        QTest::newRow("newline") << "line\nbreak"_ba << false;
        QTest::newRow("byte not UTF-8") << "r\xe9sum\xe9"_ba << false;
        QTest::newRow("folder") << "full folder"_ba << true;
    }

    void trashKeepsNameAndOrigin()
    {
        QFETCH(QByteArray, name);
        QFETCH(bool, folder);
        const QByteArray rel = "trash/" + name;
        const QByteArray path = m_files->path(rel);
        m_files->file(folder ? QByteArray(rel + "/inside.txt") : rel, 3);

        const ActionResult result = moveToTrash(path);
        QVERIFY2(result.ok, qPrintable(result.reason));
        QVERIFY(::access(path.constData(), F_OK) != 0);
        const QByteArray trash = toNativePath(m_home->dataHome()) + "/Trash";
        QCOMPARE(readFile(trash + "/files/" + name + (folder ? "/inside.txt" : "")).size(), 3);
        const QString info = QString::fromLatin1(readFile(trash + "/info/" + name + ".trashinfo"));
        QVERIFY2(info.contains(u"\nPath="_s + QString::fromLatin1(path.toPercentEncoding("/")) + u'\n'),
                 qPrintable(info));
    }

    void portalAnswers_data()
    {
        QTest::addColumn<uint>("colorScheme");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("gnome");
        QTest::addColumn<QByteArray>("environment");
        QTest::addColumn<QString>("style");
        QTest::newRow("prefer dark") << 1u << 0 << u"default"_s << ""_ba << u"Dark"_s;
        QTest::newRow("no preference over GNOME dark") << 0u << 0 << u"prefer-dark"_s << ""_ba << QString();
        QTest::newRow("environment over portal") << 1u << 0 << u"default"_s << "light"_ba << QString();
        // From here on the portal lacks ReadOne, which is remembered; then it falls silent.
        QTest::newRow("older portal") << 1u << 1 << u"default"_s << ""_ba << u"Dark"_s;
    }
    void portalAnswers()
    {
        QFETCH(uint, colorScheme);
        QFETCH(int, kind);
        QFETCH(QString, gnome);
        QFETCH(QByteArray, environment);
        QFETCH(QString, style);
        if (!m_fileManager || !m_gnome.isAvailable())
            QSKIP("dbus-run-session and glib-compile-schemas are needed");
        m_gnome.set(gnome);
        qputenv("VELLUMRY_INTERFACE_STYLE", environment);
        m_portal.colorScheme = colorScheme;
        m_portal.kind = kind;
        QCOMPARE(interfaceStyle(), style);
    }

    // Last, as a silent portal is left unasked for a while. GNOME answers once the portal had its chance,
    // and later calls do not wait for the portal again.
    void silentPortalDoesNotBlock()
    {
        if (!m_fileManager || !m_gnome.isAvailable())
            QSKIP("dbus-run-session and glib-compile-schemas are needed");
        m_gnome.set(u"prefer-dark"_s);
        qunsetenv("VELLUMRY_INTERFACE_STYLE");
        m_portal.kind = 2;
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < 10; ++i)
            QCOMPARE(interfaceStyle(), u"Dark"_s);
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
