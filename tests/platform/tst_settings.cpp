// The user's defaults file: where it lives, what comes back after a restart, and damaged files.
#include "platform/Settings.h"

#include "support/TempHome.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace vellumry;
using namespace Qt::StringLiterals;

namespace {

void writeFile(const QString &path, const QByteArray &bytes)
{
    QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(bytes), bytes.size());
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Opens a copy of the file under a name this process has never opened. QSettings keeps what it has
// read or written per path in memory, so only a fresh path shows what the next run of the program sees.
std::unique_ptr<Settings> reopened(const QString &path)
{
    static int copies = 0;
    const QString copy = path + u".copy"_s + QString::number(++copies);
    if (!QFile::copy(path, copy))
        return nullptr;
    return std::make_unique<Settings>(copy);
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void defaultLocation_data();
    void defaultLocation();
    void valuesAfterRestart_data();
    void valuesAfterRestart();
    void missingKeys();
    void handWrittenFile_data();
    void handWrittenFile();
    void removedKeyStaysRemoved();
    void damagedFileReadsAsEmptyAndIsKept_data();
    void damagedFileReadsAsEmptyAndIsKept();
    void unreadableFile();

private:
    std::unique_ptr<test::TempHome> m_home;
    QString path(const QString &name) const { return m_home->root() + u"/files/"_s + name; }
};

void TestSettings::init()
{
    m_home = std::make_unique<test::TempHome>();
}

void TestSettings::cleanup()
{
    m_home.reset();
}

void TestSettings::defaultLocation_data()
{
    QTest::addColumn<QByteArray>("configHome"); // "-" leaves XDG_CONFIG_HOME unset
    QTest::addColumn<bool>("usesConfigHome");   // else ~/.config
    QTest::newRow("XDG_CONFIG_HOME set") << QByteArray() << true;
    QTest::newRow("XDG_CONFIG_HOME unset") << "-"_ba << false;
    QTest::newRow("XDG_CONFIG_HOME empty") << ""_ba << false;
    QTest::newRow("XDG_CONFIG_HOME relative") << "relative/config"_ba << false;
}

void TestSettings::defaultLocation()
{
    QFETCH(QByteArray, configHome);
    QFETCH(bool, usesConfigHome);
    const QString elsewhere = m_home->root() + u"/elsewhere"_s;
    if (configHome == "-")
        qunsetenv("XDG_CONFIG_HOME");
    else if (!configHome.isNull())
        qputenv("XDG_CONFIG_HOME", configHome);
    else
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(elsewhere));

    const QString expected =
        (usesConfigHome ? elsewhere : m_home->home() + u"/.config"_s) + u"/Vellumry/Vellumry.conf"_s;
    Settings settings;
    QCOMPARE(settings.filePath(), expected);
    QCOMPARE(Settings::defaultFilePath(), expected);

    // The first write makes the missing folders.
    settings.setValue(u"FirstStartData"_s, u"YES"_s);
    QVERIFY(settings.synchronize());
    QVERIFY(readFile(expected).contains("FirstStartData=YES"));
}

void TestSettings::valuesAfterRestart_data()
{
    QTest::addColumn<QVariant>("value");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("flag");
    QTest::addColumn<QStringList>("list");

    QTest::newRow("text YES") << QVariant(u"YES"_s) << u"YES"_s << true << QStringList{u"YES"_s};
    QTest::newRow("text NO") << QVariant(u"NO"_s) << u"NO"_s << false << QStringList{u"NO"_s};
    QTest::newRow("true") << QVariant(true) << u"true"_s << true << QStringList{u"true"_s};
    QTest::newRow("false") << QVariant(false) << u"false"_s << false << QStringList{u"false"_s};
    QTest::newRow("number") << QVariant(42) << u"42"_s << true << QStringList{u"42"_s};
    QTest::newRow("zero") << QVariant(0) << u"0"_s << false << QStringList{u"0"_s};
    QTest::newRow("text with comma") << QVariant(u"a, b"_s) << u"a, b"_s << false << QStringList{u"a, b"_s};
    QTest::newRow("text with odd characters")
        << QVariant(u"x=1; \"q\"\n\\tab\t \u00e9\u65e5"_s) << u"x=1; \"q\"\n\\tab\t \u00e9\u65e5"_s << false
        << QStringList{u"x=1; \"q\"\n\\tab\t \u00e9\u65e5"_s};
    QTest::newRow("list of one") << QVariant(QStringList{u"/opt/App One"_s}) << u"/opt/App One"_s << false
                                 << QStringList{u"/opt/App One"_s};
    QTest::newRow("list of one with comma")
        << QVariant(QStringList{u"a, b"_s}) << u"a, b"_s << false << QStringList{u"a, b"_s};
    QTest::newRow("list of one empty text")
        << QVariant(QStringList{QString()}) << QString() << false << QStringList{QString()};
    QTest::newRow("list of several")
        << QVariant(QStringList{u"/opt/a"_s, u"b, c"_s, u"\"d\""_s, QString(), u"\u00fcber"_s}) << QString()
        << false << QStringList{u"/opt/a"_s, u"b, c"_s, u"\"d\""_s, QString(), u"\u00fcber"_s};
    QTest::newRow("empty list") << QVariant(QStringList{}) << QString() << false << QStringList{};
    QTest::newRow("bytes") << QVariant(QByteArray("raw\0bytes", 9)) << QString() << false << QStringList{};
}

// The typed readers answer the same from the instance that wrote a value and from the file a later run
// reads, where every plain value has become text and a list of one a single text.
void TestSettings::valuesAfterRestart()
{
    QFETCH(QVariant, value);
    QFETCH(QString, text);
    QFETCH(bool, flag);
    QFETCH(QStringList, list);

    const QString file = path(u"Vellumry.conf"_s);
    Settings writer(file);
    writer.setValue(u"Key"_s, value);
    QVERIFY(writer.synchronize());

    const std::unique_ptr<Settings> reader = reopened(file);
    QVERIFY(reader);
    for (const Settings *settings : {&writer, reader.get()}) {
        const bool isWriter = settings == &writer;
        QVERIFY2(settings->value(u"Key"_s).isValid() || list.isEmpty(), isWriter ? "writer" : "reader");
        QCOMPARE(settings->string(u"Key"_s), text);
        QCOMPARE(settings->boolean(u"Key"_s), flag);
        QCOMPARE(settings->stringList(u"Key"_s), list);
    }
}

void TestSettings::missingKeys()
{
    Settings settings(path(u"never-written.conf"_s));
    QCOMPARE(settings.value(u"AppBoxDataArray"_s), QVariant());
    QCOMPARE(settings.value(u"AppBoxDataArray"_s, 7), QVariant(7));
    QCOMPARE(settings.string(u"FirstStartData"_s), QString());
    QCOMPARE(settings.boolean(u"ExampleAlertSuppress"_s), false);
    QCOMPARE(settings.stringList(u"AppBoxDataArray"_s), QStringList());
    QVERIFY(settings.synchronize());
    QVERIFY(!QFile::exists(settings.filePath())); // nothing to write, nothing written
}

void TestSettings::handWrittenFile_data()
{
    QTest::addColumn<QByteArray>("line"); // under [General] when it starts with the key, else the whole file
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("flag");
    QTest::addColumn<QStringList>("list");
    QTest::newRow("true") << "Key=true"_ba << u"true"_s << true << QStringList{u"true"_s};
    QTest::newRow("TRUE") << "Key=TRUE"_ba << u"TRUE"_s << true << QStringList{u"TRUE"_s};
    QTest::newRow("yes") << "Key=yes"_ba << u"yes"_s << true << QStringList{u"yes"_s};
    QTest::newRow("1") << "Key=1"_ba << u"1"_s << true << QStringList{u"1"_s};
    QTest::newRow("2") << "Key=2"_ba << u"2"_s << true << QStringList{u"2"_s};
    QTest::newRow("0.0") << "Key=0.0"_ba << u"0.0"_s << false << QStringList{u"0.0"_s};
    QTest::newRow("-1") << "Key=-1"_ba << u"-1"_s << true << QStringList{u"-1"_s};
    QTest::newRow("no") << "Key=no"_ba << u"no"_s << false << QStringList{u"no"_s};
    QTest::newRow("garbage") << "Key=maybe"_ba << u"maybe"_s << false << QStringList{u"maybe"_s};
    QTest::newRow("spaces around") << "Key =  yes  "_ba << u"yes"_s << true << QStringList{u"yes"_s};
    QTest::newRow("empty") << "Key="_ba << QString() << false << QStringList{QString()};
    QTest::newRow("list") << "Key=a, b,c"_ba << QString() << false << QStringList{u"a"_s, u"b"_s, u"c"_s};
    QTest::newRow("quoted") << "Key=\"a, b\""_ba << u"a, b"_s << false << QStringList{u"a, b"_s};
    QTest::newRow("utf-8") << "Key=caf\xc3\xa9"_ba << u"caf\u00e9"_s << false << QStringList{u"caf\u00e9"_s};
    QTest::newRow("no General header")
        << "Other=1\r\nKey=YES"_ba << u"YES"_s << true << QStringList{u"YES"_s};
}

void TestSettings::handWrittenFile()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, text);
    QFETCH(bool, flag);
    QFETCH(QStringList, list);

    const QString file = path(QString::fromLatin1(QTest::currentDataTag()) + u".conf"_s);
    writeFile(file, line.startsWith("Key") ? QByteArray("[General]\n" + line + '\n') : line);
    const Settings settings(file);
    QCOMPARE(settings.string(u"Key"_s), text);
    QCOMPARE(settings.boolean(u"Key"_s), flag);
    QCOMPARE(settings.stringList(u"Key"_s), list);
}

void TestSettings::removedKeyStaysRemoved()
{
    const QString file = path(u"Vellumry.conf"_s);
    Settings settings(file);
    settings.setValue(u"ExampleAlertSuppress"_s, true);
    settings.setValue(u"FirstStartData"_s, u"YES"_s);
    QVERIFY(settings.synchronize());
    settings.remove(u"ExampleAlertSuppress"_s);
    QVERIFY(!settings.boolean(u"ExampleAlertSuppress"_s));
    QVERIFY(settings.synchronize());

    const std::unique_ptr<Settings> next = reopened(file);
    QVERIFY(next);
    QVERIFY(!next->value(u"ExampleAlertSuppress"_s).isValid());
    QCOMPARE(next->string(u"FirstStartData"_s), u"YES"_s);
}

void TestSettings::damagedFileReadsAsEmptyAndIsKept_data()
{
    QTest::addColumn<QByteArray>("bytes");
    static const char binary[] = "\x7f\x01\xff\xfe\n[General]\nFirstStartData=YES\n\x00\x00\x03";
    QTest::newRow("binary") << QByteArray(binary, sizeof binary - 1);
    QTest::newRow("unclosed section") << "[General\nFirstStartData=YES\nExampleAlertSuppress=true\n"_ba;
}

void TestSettings::damagedFileReadsAsEmptyAndIsKept()
{
    QFETCH(QByteArray, bytes);
    const QString file = path(QString::fromLatin1(QTest::currentDataTag()) + u".conf"_s);
    writeFile(file, bytes);

    {
        Settings settings(file);
        QCOMPARE(settings.value(u"FirstStartData"_s), QVariant());
        QCOMPARE(settings.string(u"FirstStartData"_s), QString());
        QVERIFY(!settings.boolean(u"ExampleAlertSuppress"_s));
        QVERIFY(!settings.synchronize()); // still damaged: nothing was fixed
    }
    QCOMPARE(readFile(file), bytes); // only reading never touches the file

    Settings settings(file);
    settings.setValue(u"AppBoxDataArray"_s, QStringList{u"/opt/one"_s});
    QVERIFY(settings.synchronize());
    QCOMPARE(readFile(file + u".damaged"_s), bytes);

    const std::unique_ptr<Settings> next = reopened(file);
    QVERIFY(next);
    QCOMPARE(next->stringList(u"AppBoxDataArray"_s), QStringList{u"/opt/one"_s});
    QCOMPARE(next->value(u"FirstStartData"_s), QVariant()); // nothing salvaged from the damaged file
}

void TestSettings::unreadableFile()
{
    // A folder where the file should be cannot be read or replaced, even by root.
    const QString file = path(u"folder.conf"_s);
    QVERIFY(QDir().mkpath(file + u"/inside"_s));
    Settings settings(file);
    QCOMPARE(settings.string(u"FirstStartData"_s), QString());
    settings.setValue(u"FirstStartData"_s, u"YES"_s);
    QVERIFY(!settings.synchronize());
    QVERIFY(QFileInfo(file).isDir());
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
