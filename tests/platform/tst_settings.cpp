// The user's defaults file: where it lives, what comes back after a restart, and damaged files; the
// desktop look without a session bus: the environment override and GNOME's own setting.
#include "platform/Appearance.h"
#include "platform/Settings.h"

#include "GnomeColorScheme.h"
#include "support/TempHome.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTest>

#include <memory>

using namespace vellumry;
using namespace Qt::StringLiterals;

class TestSettings : public QObject
{
    Q_OBJECT

    test::TempHome m_programHome; // before the GNOME setting, which lives in it
    test::GnomeColorScheme m_gnome;
    std::unique_ptr<test::TempHome> m_home;
    QString file() const { return m_home->root() + u"/Vellumry.conf"_s; }

private Q_SLOTS:
    void initTestCase()
    {
        // No bus address and nothing that could lead to one: no socket in the runtime folder (a private
        // home) and no display to start a bus for.
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        qunsetenv("DISPLAY");
        qunsetenv("WAYLAND_DISPLAY");
    }
    void init()
    {
        m_home = std::make_unique<test::TempHome>();
        qunsetenv("VELLUMRY_INTERFACE_STYLE");
    }
    void cleanup() { m_home.reset(); }

    void lookWithoutBusAnswersQuickly() // first, while GNOME's setting is still its default
    {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < 20; ++i) // polled every second: no call may wait for a bus
            QCOMPARE(interfaceStyle(), QString());
        QCOMPARE_LT(timer.elapsed(), 1000);
    }

    void lookSources_data()
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
    void lookSources()
    {
        QFETCH(QByteArray, environment);
        QFETCH(QString, gnome);
        QFETCH(QString, style);
        if (!m_gnome.isAvailable())
            QSKIP("glib-compile-schemas is needed to set GNOME's colour scheme");
        if (!environment.isNull())
            qputenv("VELLUMRY_INTERFACE_STYLE", environment);
        m_gnome.set(gnome);
        QCOMPARE(interfaceStyle(), style);
    }

    void defaultLocation_data()
    {
        QTest::addColumn<bool>("set");
        QTest::newRow("set") << true;
        QTest::newRow("unset") << false;
    }
    void defaultLocation()
    {
        QFETCH(bool, set);
        const QString elsewhere = m_home->root() + u"/elsewhere"_s;
        QVERIFY(set ? qputenv("XDG_CONFIG_HOME", QFile::encodeName(elsewhere))
                    : qunsetenv("XDG_CONFIG_HOME"));
        const QString expected =
            (set ? elsewhere : m_home->home() + u"/.config"_s) + u"/Vellumry/Vellumry.conf"_s;
        Settings settings;
        QCOMPARE(settings.filePath(), expected);
        settings.setValue(u"FirstStartData"_s, u"YES"_s); // the first write makes the missing folders
        QVERIFY(settings.synchronize() && QFile::exists(expected));
    }

    void roundTrip_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("flag");
        QTest::addColumn<QStringList>("list");
        const QString odd = u"x=1; \"q\"\n\\tab\t \u00e9\u65e5"_s;
        const QStringList several{u"/opt/a"_s, u"b, c"_s, u"\"d\""_s, QString(), u"\u00fcber"_s};
        QTest::newRow("text") << QVariant(odd) << odd << false << QStringList{odd};
        QTest::newRow("true") << QVariant(true) << u"true"_s << true << QStringList{u"true"_s};
        QTest::newRow("list of one") << QVariant(QStringList{u"a, b"_s}) << u"a, b"_s << false
                                     << QStringList{u"a, b"_s};
        QTest::newRow("list of several") << QVariant(several) << QString() << false << several;
    }
    // The typed readers answer alike before and after a restart (when every plain value is text); removal.
    void roundTrip()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, text);
        QFETCH(bool, flag);
        QFETCH(QStringList, list);
        Settings writer(file());
        writer.setValue(u"Key"_s, value);
        writer.setValue(u"Gone"_s, true);
        writer.remove(u"Gone"_s);
        QVERIFY(writer.synchronize());
        // QSettings caches each path per process: only a copy under another name shows what a restart sees.
        QVERIFY(QFile::copy(file(), file() + u".copy"_s));
        Settings reader(file() + u".copy"_s);
        for (const Settings *settings : {&writer, &reader}) {
            QCOMPARE(settings->string(u"Key"_s), text);
            QCOMPARE(settings->boolean(u"Key"_s), flag);
            QCOMPARE(settings->stringList(u"Key"_s), list);
            QVERIFY(!settings->value(u"Gone"_s).isValid());
        }
    }

    void damagedFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("binary") << "\x7f\x01\xff\xfe\n[General]\nFirstStartData=YES\n\x00\x00\x03"_ba;
        QTest::newRow("unclosed section") << "[General\nFirstStartData=YES\n"_ba;
    }
    // Reads as empty and is left alone until the first change moves it aside.
    void damagedFile()
    {
        QFETCH(QByteArray, bytes);
        QFile out(file());
        QVERIFY(out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size() && out.flush());
        Settings settings(file());
        QCOMPARE(settings.string(u"FirstStartData"_s), QString());
        QVERIFY(!settings.synchronize());
        QCOMPARE(QFileInfo(file()).size(), bytes.size()); // left alone while only read
        settings.setValue(u"AppBoxDataArray"_s, QStringList{u"/opt/one"_s});
        QVERIFY(settings.synchronize());
        QCOMPARE(QFileInfo(file() + u".damaged"_s).size(), bytes.size());
        QVERIFY(QFile::copy(file(), file() + u".copy"_s));
        const Settings next(file() + u".copy"_s);
        QCOMPARE(next.stringList(u"AppBoxDataArray"_s), QStringList{u"/opt/one"_s});
        QCOMPARE(next.value(u"FirstStartData"_s), QVariant()); // nothing salvaged
    }
};

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
