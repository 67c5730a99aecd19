// The desktop look without a session bus: the environment override and GNOME's own setting.
#include "platform/Appearance.h"

#include "GnomeColorScheme.h"
#include "support/TempHome.h"

#include <QElapsedTimer>
#include <QTest>

#include <memory>

using namespace vellumry;
using namespace Qt::StringLiterals;

class TestAppearance : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void withoutBusAnswersQuickly();
    void sources_data();
    void sources();

private:
    std::unique_ptr<test::TempHome> m_home;
    std::unique_ptr<test::GnomeColorScheme> m_gnome;
};

void TestAppearance::initTestCase()
{
    // No bus address and nothing that could lead to one: no socket in the runtime folder and no
    // display to start a bus for.
    m_home = std::make_unique<test::TempHome>();
    qunsetenv("DBUS_SESSION_BUS_ADDRESS");
    qunsetenv("DISPLAY");
    qunsetenv("WAYLAND_DISPLAY");
    m_gnome = std::make_unique<test::GnomeColorScheme>();
}

void TestAppearance::cleanupTestCase()
{
    m_gnome.reset();
    m_home.reset();
}

void TestAppearance::init()
{
    qunsetenv("VELLUMRY_INTERFACE_STYLE");
    m_gnome->set(u"default"_s);
}

void TestAppearance::withoutBusAnswersQuickly()
{
    QElapsedTimer timer;
    timer.start();
    QCOMPARE(interfaceStyle(), QString());
    QCOMPARE_LT(timer.elapsed(), 1000);

    // Polled every second: later calls must not wait for a bus either.
    timer.restart();
    for (int i = 0; i < 20; ++i)
        QCOMPARE(interfaceStyle(), QString());
    QCOMPARE_LT(timer.elapsed(), 200);
}

void TestAppearance::sources_data()
{
    QTest::addColumn<QByteArray>("environment"); // a null array leaves VELLUMRY_INTERFACE_STYLE unset
    QTest::addColumn<QString>("gnome");          // GNOME's color-scheme
    QTest::addColumn<QString>("style");

    QTest::newRow("Dark") << "Dark"_ba << u"default"_s << u"Dark"_s;
    QTest::newRow("dark") << "dark"_ba << u"default"_s << u"Dark"_s;
    QTest::newRow("DARK, padded") << " DARK\n"_ba << u"prefer-light"_s << u"Dark"_s;
    QTest::newRow("Light over GNOME dark") << "Light"_ba << u"prefer-dark"_s << QString();
    QTest::newRow("LIGHT over GNOME dark") << "LIGHT"_ba << u"prefer-dark"_s << QString();
    QTest::newRow("garbage, GNOME dark") << "Darkish"_ba << u"prefer-dark"_s << u"Dark"_s;
    QTest::newRow("garbage, GNOME default") << "1"_ba << u"default"_s << QString();
    QTest::newRow("empty, GNOME dark") << ""_ba << u"prefer-dark"_s << u"Dark"_s;
    QTest::newRow("unset, GNOME dark") << QByteArray() << u"prefer-dark"_s << u"Dark"_s;
    QTest::newRow("unset, GNOME light") << QByteArray() << u"prefer-light"_s << QString();
    QTest::newRow("unset, GNOME default") << QByteArray() << u"default"_s << QString();
}

void TestAppearance::sources()
{
    QFETCH(QByteArray, environment);
    QFETCH(QString, gnome);
    QFETCH(QString, style);

    if (gnome != u"default"_s && !m_gnome->isAvailable())
        QSKIP("glib-compile-schemas is needed to set GNOME's colour scheme");
    if (!environment.isNull())
        qputenv("VELLUMRY_INTERFACE_STYLE", environment);
    m_gnome->set(gnome);
    QCOMPARE(interfaceStyle(), style);
}

QTEST_GUILESS_MAIN(TestAppearance)
#include "tst_appearance.moc"
