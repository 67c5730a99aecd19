// The desktop look from an XDG desktop portal on a private session bus.
//
// The program re-starts itself under dbus-run-session, so the stand-in portal below never meets the
// user's own bus or portal.
#include "platform/Appearance.h"

#include "GnomeColorScheme.h"
#include "support/TempHome.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QMutex>
#include <QMutexLocker>
#include <QTest>
#include <QThread>

#include <atomic>
#include <memory>
#include <vector>

#include <climits>
#include <cstdlib>
#include <unistd.h>

using namespace vellumry;
using namespace Qt::StringLiterals;

namespace {

const QString kPortalService = u"org.freedesktop.portal.Desktop"_s;
const QString kPortalPath = u"/org/freedesktop/portal/desktop"_s;
const QString kSettingsInterface = u"org.freedesktop.portal.Settings"_s;

// Answers Settings.Read and Settings.ReadOne for the appearance colour scheme the way portals do: Read
// wraps the value in one variant more than ReadOne.
class StandInPortal : public QDBusVirtualObject
{
public:
    enum class Kind
    {
        Current,
        WithoutReadOne,
        Silent
    };

    void configure(Kind kind, const QVariant &colorScheme)
    {
        const QMutexLocker lock(&m_mutex);
        m_kind = kind;
        m_colorScheme = colorScheme;
    }
    int calls() const { return m_calls.load(); }

    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        if (message.interface() != kSettingsInterface)
            return false;
        ++m_calls;
        const QMutexLocker lock(&m_mutex);
        const QStringList arguments{message.arguments().value(0).toString(),
                                    message.arguments().value(1).toString()};
        if (m_kind == Kind::Silent) {
            message.setDelayedReply(true); // and never answer
            return true;
        }
        if (message.member() == u"ReadOne"_s && m_kind == Kind::Current) {
            connection.send(message.createReply(QVariant::fromValue(QDBusVariant(m_colorScheme))));
        } else if (message.member() == u"Read"_s) {
            const QVariant inner = QVariant::fromValue(QDBusVariant(m_colorScheme));
            connection.send(message.createReply(QVariant::fromValue(QDBusVariant(inner))));
        } else {
            connection.send(message.createErrorReply(QDBusError::UnknownMethod, u"No such method"_s));
            return true;
        }
        if (arguments != QStringList{u"org.freedesktop.appearance"_s, u"color-scheme"_s})
            qWarning() << "unexpected setting asked for:" << arguments;
        return true;
    }

private:
    QMutex m_mutex;
    Kind m_kind = Kind::Current;
    QVariant m_colorScheme;
    std::atomic<int> m_calls{0};
};

} // namespace

class TestAppearancePortal : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void answers_data();
    void answers();
    // Last: it leaves the portal unasked for the rest of the run.
    void silentPortalIsNotWaitedForAgain();

private:
    std::unique_ptr<test::TempHome> m_home;
    std::unique_ptr<test::GnomeColorScheme> m_gnome;
    QThread m_portalThread;
    StandInPortal *m_portal = nullptr;
};

void TestAppearancePortal::initTestCase()
{
    if (!qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"))
        QSKIP("dbus-run-session is needed for a private session bus");
    m_home = std::make_unique<test::TempHome>();
    m_gnome = std::make_unique<test::GnomeColorScheme>();

    // The portal answers on its own connection and thread, as a separate process would, while the
    // test thread waits in a blocking call.
    m_portalThread.start();
    m_portal = new StandInPortal;
    m_portal->moveToThread(&m_portalThread);
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"stand-in portal"_s);
    QVERIFY(bus.isConnected());
    QVERIFY(bus.registerVirtualObject(kPortalPath, m_portal, QDBusConnection::SingleNode));
    QVERIFY(bus.registerService(kPortalService));
}

void TestAppearancePortal::cleanupTestCase()
{
    QDBusConnection::disconnectFromBus(u"stand-in portal"_s);
    m_portalThread.quit();
    m_portalThread.wait();
    delete m_portal;
    m_gnome.reset();
    m_home.reset();
}

void TestAppearancePortal::init()
{
    qunsetenv("VELLUMRY_INTERFACE_STYLE");
}

void TestAppearancePortal::answers_data()
{
    QTest::addColumn<StandInPortal::Kind>("kind");
    QTest::addColumn<QVariant>("colorScheme");
    QTest::addColumn<QString>("gnome");
    QTest::addColumn<QByteArray>("environment"); // null: unset
    QTest::addColumn<QString>("style");

    using Kind = StandInPortal::Kind;
    QTest::newRow("prefer dark") << Kind::Current << QVariant(1u) << u"default"_s << QByteArray()
                                 << u"Dark"_s;
    QTest::newRow("no preference") << Kind::Current << QVariant(0u) << u"default"_s << QByteArray()
                                   << QString();
    QTest::newRow("prefer light") << Kind::Current << QVariant(2u) << u"default"_s << QByteArray()
                                  << QString();
    QTest::newRow("portal over GNOME")
        << Kind::Current << QVariant(0u) << u"prefer-dark"_s << QByteArray() << QString();
    QTest::newRow("environment over portal")
        << Kind::Current << QVariant(1u) << u"default"_s << "light"_ba << QString();
    // Rows from here on meet a portal without ReadOne, which is remembered.
    QTest::newRow("older portal, dark")
        << Kind::WithoutReadOne << QVariant(1u) << u"default"_s << QByteArray() << u"Dark"_s;
    QTest::newRow("older portal, light")
        << Kind::WithoutReadOne << QVariant(2u) << u"prefer-dark"_s << QByteArray() << QString();
}

void TestAppearancePortal::answers()
{
    QFETCH(StandInPortal::Kind, kind);
    QFETCH(QVariant, colorScheme);
    QFETCH(QString, gnome);
    QFETCH(QByteArray, environment);
    QFETCH(QString, style);

    if (gnome != u"default"_s && !m_gnome->isAvailable())
        QSKIP("glib-compile-schemas is needed to set GNOME's colour scheme");
    m_gnome->set(gnome);
    if (!environment.isNull())
        qputenv("VELLUMRY_INTERFACE_STYLE", environment);
    m_portal->configure(kind, colorScheme);

    QCOMPARE(interfaceStyle(), style);
    // Asked afresh each time, so a change on the desktop shows at the next poll.
    const int callsBefore = m_portal->calls();
    QCOMPARE(interfaceStyle(), style);
    QCOMPARE(m_portal->calls() > callsBefore, environment.isNull());
}

void TestAppearancePortal::silentPortalIsNotWaitedForAgain()
{
    if (!m_gnome->isAvailable())
        QSKIP("glib-compile-schemas is needed to set GNOME's colour scheme");
    m_gnome->set(u"prefer-dark"_s);
    m_portal->configure(StandInPortal::Kind::Silent, {});
    const int callsBefore = m_portal->calls();

    QElapsedTimer timer;
    timer.start();
    QCOMPARE(interfaceStyle(), u"Dark"_s); // from GNOME, once the portal has had its chance
    const qint64 firstCall = timer.elapsed();
    QCOMPARE_GE(firstCall, 150);
    QCOMPARE_LT(firstCall, 1000);

    timer.restart();
    for (int i = 0; i < 10; ++i)
        QCOMPARE(interfaceStyle(), u"Dark"_s);
    QCOMPARE_LT(timer.elapsed(), 100);
    QCOMPARE(m_portal->calls(), callsBefore + 1);
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
    TestAppearancePortal test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_appearance_portal.moc"
