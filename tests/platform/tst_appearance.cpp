// The desktop look without a session bus: the environment override and GNOME's own setting.
#include "platform/Appearance.h"

#include "GnomeColorScheme.h"
#include "support/TempHome.h"

#include <QElapsedTimer>
#include <QTest>

using namespace vellumry;
using namespace Qt::StringLiterals;

class TestAppearance : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        // No bus address and nothing that could lead to one: no socket in the runtime folder (a private
        // home) and no display to start a bus for.
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        qunsetenv("DISPLAY");
        qunsetenv("WAYLAND_DISPLAY");
    }
    void init() { qunsetenv("VELLUMRY_INTERFACE_STYLE"); }

    void withoutBusAnswersQuickly() // first, while GNOME's setting is still its default
    {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < 20; ++i) // polled every second: no call may wait for a bus
            QCOMPARE(interfaceStyle(), QString());
        QCOMPARE_LT(timer.elapsed(), 1000);
    }

    void sources_data()
    {
        QTest::addColumn<QByteArray>("environment"); // a null array leaves VELLUMRY_INTERFACE_STYLE unset
        QTest::addColumn<QString>("gnome");          // GNOME's color-scheme
        QTest::addColumn<QString>("style");
        QTest::newRow("DARK, padded") << " DARK\n"_ba << u"prefer-light"_s << u"Dark"_s;
        QTest::newRow("light over GNOME dark") << "lIGHT"_ba << u"prefer-dark"_s << QString();
        QTest::newRow("garbage, GNOME dark") << "Darkish"_ba << u"prefer-dark"_s << u"Dark"_s;
        QTest::newRow("unset, GNOME dark") << QByteArray() << u"prefer-dark"_s << u"Dark"_s;
        QTest::newRow("unset, GNOME light") << QByteArray() << u"prefer-light"_s << QString();
    }
    void sources()
    {
        QFETCH(QByteArray, environment);
        QFETCH(QString, gnome);
        QFETCH(QString, style);
        if (gnome != u"default"_s && !m_gnome.isAvailable())
            QSKIP("glib-compile-schemas is needed to set GNOME's colour scheme");
        if (!environment.isNull())
            qputenv("VELLUMRY_INTERFACE_STYLE", environment);
        m_gnome.set(gnome);
        QCOMPARE(interfaceStyle(), style);
    }

private:
    test::TempHome m_home; // before the GNOME setting, which lives in it
    test::GnomeColorScheme m_gnome;
};

QTEST_GUILESS_MAIN(TestAppearance)
#include "tst_appearance.moc"
