// The desktop look from an XDG desktop portal on a private session bus.
//
// The program re-starts itself under dbus-run-session, so the stand-in portal below never meets the
// user's own bus or portal.
#include "platform/Appearance.h"

#include "GnomeColorScheme.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDBusVirtualObject>
#include <QElapsedTimer>
#include <QTest>
#include <QThread>

#include <atomic>
#include <memory>
#include <unistd.h>
#include <vector>

using namespace vellumry;
using namespace Qt::StringLiterals;

namespace {

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

class TestAppearancePortal : public QObject
{
    Q_OBJECT

    test::GnomeColorScheme m_gnome;
    StandInPortal m_portal;
    QThread m_portalThread;

private Q_SLOTS:
    void initTestCase()
    {
        if (!qEnvironmentVariableIsSet("DBUS_SESSION_BUS_ADDRESS"))
            QSKIP("dbus-run-session is needed for a private session bus");
        if (!m_gnome.isAvailable())
            QSKIP("glib-compile-schemas is needed to set GNOME's colour scheme");
        // The portal answers on its own connection and thread, as a separate process would, while the
        // test thread waits in a blocking call.
        m_portalThread.start();
        m_portal.moveToThread(&m_portalThread);
        QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"portal"_s);
        QVERIFY(bus.registerVirtualObject(u"/org/freedesktop/portal/desktop"_s, &m_portal,
                                          QDBusConnection::SingleNode));
        QVERIFY(bus.registerService(u"org.freedesktop.portal.Desktop"_s));
    }
    void cleanupTestCase()
    {
        QDBusConnection::disconnectFromBus(u"portal"_s);
        m_portalThread.quit();
        m_portalThread.wait();
    }

    void answers_data()
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
    void answers()
    {
        QFETCH(uint, colorScheme);
        QFETCH(int, kind);
        QFETCH(QString, gnome);
        QFETCH(QByteArray, environment);
        QFETCH(QString, style);
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
        qunsetenv("DBUS_SESSION_BUS_ADDRESS"); // not found: the tests skip
    }
    QCoreApplication app(argc, argv);
    TestAppearancePortal test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_appearance_portal.moc"
