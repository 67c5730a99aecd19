// The user's defaults file: where it lives, what comes back after a restart, and damaged files; the
// desktop look without a session bus.
#include "platform/Appearance.h"
#include "platform/Settings.h"

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

    std::unique_ptr<test::TempHome> m_home;
    QString file() const { return m_home->root() + u"/Vellumry.conf"_s; }

private Q_SLOTS:
    void initTestCase()
    {
        // No bus address and nothing that could lead to one: no socket in the runtime folder (a private
        // home) and no display to start a bus for. No GNOME schema either, in a private home.
        qunsetenv("DBUS_SESSION_BUS_ADDRESS");
        qunsetenv("GSETTINGS_SCHEMA_DIR");
        qunsetenv("DISPLAY");
        qunsetenv("WAYLAND_DISPLAY");
    }
    void init()
    {
        m_home = std::make_unique<test::TempHome>();
        qunsetenv("VELLUMRY_INTERFACE_STYLE");
    }
    void cleanup() { m_home.reset(); }

    void lookWithoutBusAnswersQuickly()
    {
        QElapsedTimer timer;
        timer.start();
        for (int i = 0; i < 20; ++i) // polled every second: no call may wait for a bus
            QCOMPARE(interfaceStyle(), QString());
        QCOMPARE_LT(timer.elapsed(), 1000);
    }

    void roundTrip_data()
    {
        QTest::addColumn<bool>("xdgSet"); // XDG_CONFIG_HOME set, or unset
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("flag");
        QTest::addColumn<QStringList>("list");
        const QString odd = u"x=1; \"q\"\n\\tab\t \u00e9\u65e5"_s;
        const QStringList several{u"/opt/a"_s, u"b, c"_s, u"\"d\""_s, QString(), u"\u00fcber"_s};
        QTest::newRow("text") << true << QVariant(odd) << odd << false << QStringList{odd};
        QTest::newRow("true") << false << QVariant(true) << u"true"_s << true << QStringList{u"true"_s};
        QTest::newRow("list of one") << true << QVariant(QStringList{u"a, b"_s}) << u"a, b"_s << false
                                     << QStringList{u"a, b"_s};
        QTest::newRow("list of several") << false << QVariant(several) << QString() << false << several;
    }
    // The user's file lives where XDG_CONFIG_HOME says, or in ~/.config, and the first write makes its
    // folders; the typed readers answer alike before and after a restart (when every plain value is
    // text); removal.
    void roundTrip()
    {
        QFETCH(bool, xdgSet);
        QFETCH(QVariant, value);
        QFETCH(QString, text);
        QFETCH(bool, flag);
        QFETCH(QStringList, list);
        const QString elsewhere = m_home->root() + u"/elsewhere"_s;
        QVERIFY(xdgSet ? qputenv("XDG_CONFIG_HOME", QFile::encodeName(elsewhere)) : qunsetenv("XDG_CONFIG_HOME"));
        const QString path = (xdgSet ? elsewhere : m_home->home() + u"/.config"_s) + u"/Vellumry/Vellumry.conf"_s;
        Settings writer;
        QCOMPARE(writer.filePath(), path);
        writer.setValue(u"Key"_s, value);
        writer.setValue(u"Gone"_s, true);
        writer.remove(u"Gone"_s);
        QVERIFY(writer.synchronize());
        // QSettings caches each path per process: only a copy under another name shows what a restart sees.
        QVERIFY(QFile::copy(path, file() + u".copy"_s));
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
