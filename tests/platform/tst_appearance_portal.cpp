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
#include <QTest>
#include <QThread>

#include <atomic>
#include <climits>
#include <memory>
#include <unistd.h>
#include <vector>

using namespace vellumry;
using namespace Qt::StringLiterals;

namespace {

// Answers Settings.Read and Settings.ReadOne for the appearance colour scheme the way portals do (Read
// wraps the value in one variant more), an older portal only Read, and a silent one never.
class StandInPortal : public QDBusVirtualObject
{
public:
    void configure(const QVariant &colorScheme, bool hasReadOne = true, bool silent = false)
    {
        const QMutexLocker lock(&m_mutex);
        std::tie(m_colorScheme, m_hasReadOne, m_silent) = std::tuple(colorScheme, hasReadOne, silent);
    }
    int calls() const { return m_calls.load(); }

    QString introspect(const QString &) const override { return {}; }
    bool handleMessage(const QDBusMessage &message, const QDBusConnection &connection) override
    {
        if (message.interface() != u"org.freedesktop.portal.Settings"_s)
            return false;
        ++m_calls;
        const QMutexLocker lock(&m_mutex);
        const QVariant value = QVariant::fromValue(QDBusVariant(m_colorScheme));
        const bool asked = message.arguments().value(0) == u"org.freedesktop.appearance"_s &&
                           message.arguments().value(1) == u"color-scheme"_s;
        if (m_silent)
            message.setDelayedReply(true); // and never answer
        else if (asked && message.member() == u"ReadOne"_s && m_hasReadOne)
            connection.send(message.createReply(value));
        else if (asked && message.member() == u"Read"_s)
            connection.send(message.createReply(QVariant::fromValue(QDBusVariant(value))));
        else
            connection.send(message.createErrorReply(QDBusError::UnknownMethod, u"No such method"_s));
        return true;
    }

private:
    QMutex m_mutex;
    QVariant m_colorScheme;
    bool m_hasReadOne = true;
    bool m_silent = false;
    std::atomic<int> m_calls{0};
};

} // namespace

class TestAppearancePortal : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init() { qunsetenv("VELLUMRY_INTERFACE_STYLE"); }
    void answers_data();
    void answers();
    void silentPortalIsNotWaitedForAgain(); // last: it leaves the portal unasked for the rest of the run

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
    QVERIFY(bus.registerVirtualObject(u"/org/freedesktop/portal/desktop"_s, m_portal,
                                      QDBusConnection::SingleNode));
    QVERIFY(bus.registerService(u"org.freedesktop.portal.Desktop"_s));
}

void TestAppearancePortal::cleanupTestCase()
{
    QDBusConnection::disconnectFromBus(u"stand-in portal"_s);
    m_portalThread.quit();
    m_portalThread.wait();
    delete m_portal;
}

void TestAppearancePortal::answers_data()
{
    QTest::addColumn<QVariant>("colorScheme");
    QTest::addColumn<bool>("hasReadOne");
    QTest::addColumn<QString>("gnome");
    QTest::addColumn<QByteArray>("environment"); // null: unset
    QTest::addColumn<QString>("style");
    QTest::newRow("prefer dark") << QVariant(1u) << true << u"default"_s << QByteArray() << u"Dark"_s;
    QTest::newRow("no preference over GNOME dark")
        << QVariant(0u) << true << u"prefer-dark"_s << QByteArray() << QString();
    QTest::newRow("prefer light over GNOME dark")
        << QVariant(2u) << true << u"prefer-dark"_s << QByteArray() << QString();
    QTest::newRow("environment over portal")
        << QVariant(1u) << true << u"default"_s << "light"_ba << QString();
    // Rows from here on meet a portal without ReadOne, which is remembered.
    QTest::newRow("older portal, dark") << QVariant(1u) << false << u"default"_s << QByteArray() << u"Dark"_s;
    QTest::newRow("older portal, light over GNOME dark")
        << QVariant(2u) << false << u"prefer-dark"_s << QByteArray() << QString();
}

void TestAppearancePortal::answers()
{
    QFETCH(QVariant, colorScheme);
    QFETCH(bool, hasReadOne);
    QFETCH(QString, gnome);
    QFETCH(QByteArray, environment);
    QFETCH(QString, style);
    if (gnome != u"default"_s && !m_gnome->isAvailable())
        QSKIP("glib-compile-schemas is needed to set GNOME's colour scheme");
    m_gnome->set(gnome);
    if (!environment.isNull())
        qputenv("VELLUMRY_INTERFACE_STYLE", environment);
    m_portal->configure(colorScheme, hasReadOne);

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
    m_portal->configure({}, true, true);
    const int callsBefore = m_portal->calls();

    QElapsedTimer timer;
    timer.start();
    QCOMPARE(interfaceStyle(), u"Dark"_s); // from GNOME, once the portal has had its chance
    QCOMPARE_GE(timer.elapsed(), 150);
    for (int i = 0; i < 10; ++i)
        QCOMPARE(interfaceStyle(), u"Dark"_s);
    QCOMPARE_LT(timer.elapsed(), 1000);
    QCOMPARE(m_portal->calls(), callsBefore + 1);
}

// Runs the tests on a private session bus of their own; never falls back to the user's own.
int main(int argc, char **argv)
{
    if (!qEnvironmentVariableIsSet("VELLUMRY_TEST_PRIVATE_BUS")) {
        qputenv("VELLUMRY_TEST_PRIVATE_BUS", "1");
        char self[PATH_MAX] = {};
        if (::readlink("/proc/self/exe", self, sizeof self - 1) > 0) {
            std::vector<char *> arguments{const_cast<char *>("dbus-run-session"), const_cast<char *>("--"),
                                          self};
            arguments.insert(arguments.end(), argv + 1, argv + argc);
            arguments.push_back(nullptr);
            ::execvp("dbus-run-session", arguments.data());
        }
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    }
    QCoreApplication app(argc, argv);
    TestAppearancePortal test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_appearance_portal.moc"
