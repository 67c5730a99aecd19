// Opening, revealing and trashing files with real GIO, a real Trash and a private session bus.
//
// The program re-starts itself under dbus-run-session. GIO reads the home folder, the desktop entries
// and the MIME data once per process, so initTestCase() sets up the temporary home before any call.
#include "platform/DesktopServices.h"

#include "platform/ChildProcess.h"
#include "platform/NativePath.h"
#include "support/TempHome.h"
#include "support/TreeBuilder.h"

#include <QDBusConnection>
#include <QMutex>
#include <QMutexLocker>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QTest>
#include <QThread>

#include <memory>
#include <vector>

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vellumry;
using namespace Qt::StringLiterals;

namespace {

const QString kFileManagerService = u"org.freedesktop.FileManager1"_s;
const QString kFileManagerPath = u"/org/freedesktop/FileManager1"_s;
const QString kStandInConnection = u"stand-in file manager"_s;

void writeFile(const QByteArray &path, const QByteArray &content, mode_t mode = 0644)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0 || ::write(fd, content.constData(), size_t(content.size())) != content.size())
        qFatal("cannot write %s", path.constData());
    ::close(fd);
}

QByteArray readFile(const QByteArray &path)
{
    QByteArray content;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return content;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        content.append(buffer, n);
    ::close(fd);
    return content;
}

bool exists(const QByteArray &path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0;
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

} // namespace

class TestDesktopServices : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void opensWithTheDefaultApplication_data();
    void opensWithTheDefaultApplication();
    void failuresHaveAReason_data();
    void failuresHaveAReason();
    void revealShowsEachFileInTheFileManager();
    void revealOpensTheFolderWithoutAFileManager();
    void trashKeepsNameAndOrigin_data();
    void trashKeepsNameAndOrigin();

private:
    QByteArrayList recorded() const;

    std::unique_ptr<test::TempHome> m_home;
    std::unique_ptr<test::TreeBuilder> m_files; // inside the home, so the home Trash takes them
    QByteArray m_record;
    bool m_typeRegistered = false;
    QThread m_fileManagerThread;
    StandInFileManager *m_fileManager = nullptr;
};

void TestDesktopServices::initTestCase()
{
    m_home = std::make_unique<test::TempHome>();
    const QByteArray root = toNativePath(m_home->root());
    const QByteArray dataHome = toNativePath(m_home->dataHome());
    m_files = std::make_unique<test::TreeBuilder>(toNativePath(m_home->home()) + "/files");
    m_record = root + "/record";

    // The recorder: an application that notes every argument it is started with, each ending in NUL.
    const QByteArray script = root + "/recorder.sh";
    writeFile(script, "#!/bin/sh\nprintf '%s\\0' \"$@\" >> '" + m_record + "'\n", 0755);
    test::TreeBuilder data(dataHome);
    data.dir("applications");
    writeFile(dataHome + "/applications/vellumry-test-recorder.desktop",
              "[Desktop Entry]\nType=Application\nName=Recorder\nExec=\"" + script + "\" %F\n");
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
    m_typeRegistered = runProcess("/usr/bin/update-mime-database", {dataHome + "/mime"}, 60000).succeeded();

    if (qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS")) {
        // On its own connection and thread, as a separate process would be, while the test thread
        // waits in the blocking call.
        m_fileManagerThread.start();
        m_fileManager = new StandInFileManager;
        m_fileManager->moveToThread(&m_fileManagerThread);
        QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, kStandInConnection);
        QVERIFY(bus.isConnected());
        QVERIFY(bus.registerObject(kFileManagerPath, m_fileManager, QDBusConnection::ExportAllSlots));
    }
}

void TestDesktopServices::cleanupTestCase()
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

void TestDesktopServices::init()
{
    writeFile(m_record, {});
}

QByteArrayList TestDesktopServices::recorded() const
{
    QByteArrayList arguments = readFile(m_record).split('\0');
    arguments.removeLast(); // after the last NUL
    return arguments;
}

void TestDesktopServices::opensWithTheDefaultApplication_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("folder");
    QTest::newRow("file of a registered type") << "report.vellumrytest"_ba << false;
    QTest::newRow("space and a byte not UTF-8") << "my r\xe9sum\xe9.vellumrytest"_ba << false;
    QTest::newRow("folder") << "a folder"_ba << true;
}

void TestDesktopServices::opensWithTheDefaultApplication()
{
    QFETCH(QByteArray, name);
    QFETCH(bool, folder);
    if (!folder && !m_typeRegistered)
        QSKIP("update-mime-database (shared-mime-info) is needed to register a test type");
    const QByteArray rel = "open/" + name;
    const QByteArray path = folder ? m_files->dir(rel) : m_files->file(rel, 10);

    const ActionResult result = openWithDefaultApplication(path);
    QVERIFY2(result.ok, qPrintable(result.reason));
    QTRY_COMPARE_WITH_TIMEOUT(recorded(), QByteArrayList{path}, 10000);
}

void TestDesktopServices::failuresHaveAReason_data()
{
    QTest::addColumn<QByteArray>("action");
    QTest::addColumn<QByteArray>("name"); // made as a small file unless it starts with "missing"
    QTest::addColumn<QString>("reason");
    QTest::newRow("open missing") << "open"_ba
                                  << "missing.vellumrytest"_ba << u"no such file"_s;
    QTest::newRow("reveal missing") << "reveal"_ba
                                    << "missing"_ba << u"no such file"_s;
    QTest::newRow("trash missing") << "trash"_ba
                                   << "missing"_ba << u"no such file"_s;
    QTest::newRow("open unknown kind")
        << "open"_ba
        << "data.unknownkind"_ba << u"no application opens this kind of file"_s;
}

void TestDesktopServices::failuresHaveAReason()
{
    QFETCH(QByteArray, action);
    QFETCH(QByteArray, name);
    QFETCH(QString, reason);
    const QByteArray rel = "fail/" + name;
    const QByteArray path = name.startsWith("missing") ? m_files->path(rel) : m_files->file(rel, 10);

    const ActionResult result = action == "open"     ? openWithDefaultApplication(path)
                                : action == "reveal" ? revealInFileManager(path)
                                                     : moveToTrash(path);
    QVERIFY(!result.ok);
    QCOMPARE(result.reason, reason);
}

void TestDesktopServices::revealShowsEachFileInTheFileManager()
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

void TestDesktopServices::revealOpensTheFolderWithoutAFileManager()
{
    const QByteArray folder = m_files->dir("reveal/alone here");
    const ActionResult result = revealInFileManager(m_files->file("reveal/alone here/x y.txt"));
    QVERIFY2(result.ok, qPrintable(result.reason));
    QTRY_COMPARE_WITH_TIMEOUT(recorded(), QByteArrayList{folder}, 10000);
}

void TestDesktopServices::trashKeepsNameAndOrigin_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<bool>("folder");
    QTest::newRow("space") << "a b.txt"_ba << false;
    QTest::newRow("percent") << "100%.txt"_ba << false;
    QTest::newRow("newline") << "line\nbreak"_ba << false;
    QTest::newRow("byte not UTF-8") << "r\xe9sum\xe9"_ba << false;
    QTest::newRow("folder") << "full folder"_ba << true;
}

void TestDesktopServices::trashKeepsNameAndOrigin()
{
    QFETCH(QByteArray, name);
    QFETCH(bool, folder);
    const QByteArray rel = "trash/" + name;
    const QByteArray path = m_files->path(rel);
    m_files->file(folder ? QByteArray(rel + "/inside.txt") : rel, 3);

    const ActionResult result = moveToTrash(path);
    QVERIFY2(result.ok, qPrintable(result.reason));
    QVERIFY(!exists(path));
    const QByteArray trash = toNativePath(m_home->dataHome()) + "/Trash";
    QVERIFY(exists(trash + "/files/" + name + (folder ? "/inside.txt" : "")));
    const QString info = QString::fromLatin1(readFile(trash + "/info/" + name + ".trashinfo"));
    QVERIFY2(info.startsWith(u"[Trash Info]\n"_s), qPrintable(info));
    QVERIFY2(info.contains(u"\nPath="_s + QString::fromLatin1(path.toPercentEncoding("/")) + u'\n'),
             qPrintable(info));
    static const QRegularExpression date(u"^DeletionDate=\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d$"_s,
                                         QRegularExpression::MultilineOption);
    QVERIFY2(info.contains(date), qPrintable(info));
}

// Runs the tests on a private session bus of their own.
int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("VELLUMRY_TEST_PRIVATE_BUS")) {
        qputenv("VELLUMRY_TEST_PRIVATE_BUS", "1");
        char self[PATH_MAX] = {};
        const ssize_t length = ::readlink("/proc/self/exe", self, sizeof self - 1);
        if (length > 0) {
            std::vector<char *> arguments{const_cast<char *>("dbus-run-session"), const_cast<char *>("--"),
                                          self};
            for (int i = 1; i < argc; ++i)
                arguments.push_back(argv[i]);
            arguments.push_back(nullptr);
            ::execvp("dbus-run-session", arguments.data());
        }
        // No private bus to be had: never fall back to the user's own.
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    }
    QCoreApplication app(argc, argv);
    TestDesktopServices test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_desktopservices.moc"
