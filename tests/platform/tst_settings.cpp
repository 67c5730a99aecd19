// The user's defaults file: where it lives, what comes back after a restart, and damaged files.
#include "platform/Settings.h"

#include "support/TempHome.h"

#include <QDir>
#include <QFile>
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

// QSettings keeps what it read or wrote per path in memory, so only a copy under a fresh name shows
// what the next run of the program sees.
std::unique_ptr<Settings> reopened(const QString &path)
{
    static int copies = 0;
    const QString copy = path + u".copy"_s + QString::number(++copies);
    return QFile::copy(path, copy) ? std::make_unique<Settings>(copy) : nullptr;
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_home = std::make_unique<test::TempHome>(); }
    void cleanup() { m_home.reset(); }
    void defaultLocation_data();
    void defaultLocation();
    void values_data();
    void values();
    void removedKeyStaysRemoved();
    void damagedFileReadsAsEmptyAndIsKept_data();
    void damagedFileReadsAsEmptyAndIsKept();
    void unreadableFile();

private:
    std::unique_ptr<test::TempHome> m_home;
    QString path(const QString &name) const { return m_home->root() + u"/files/"_s + name; }
};

void TestSettings::defaultLocation_data()
{
    QTest::addColumn<QByteArray>("configHome"); // null: a folder of the test's; "-": unset; else ~/.config
    QTest::newRow("set") << QByteArray();
    QTest::newRow("unset") << "-"_ba;
    QTest::newRow("empty") << ""_ba;
    QTest::newRow("relative") << "relative/config"_ba;
}

void TestSettings::defaultLocation()
{
    QFETCH(QByteArray, configHome);
    const QString elsewhere = m_home->root() + u"/elsewhere"_s;
    if (configHome == "-")
        qunsetenv("XDG_CONFIG_HOME");
    else
        qputenv("XDG_CONFIG_HOME", configHome.isNull() ? QFile::encodeName(elsewhere) : configHome);

    const QString expected =
        (configHome.isNull() ? elsewhere : m_home->home() + u"/.config"_s) + u"/Vellumry/Vellumry.conf"_s;
    Settings settings;
    QCOMPARE(settings.filePath(), expected);
    QCOMPARE(Settings::defaultFilePath(), expected);
    settings.setValue(u"FirstStartData"_s, u"YES"_s); // the first write makes the missing folders
    QVERIFY(settings.synchronize());
    QVERIFY(readFile(expected).contains("FirstStartData=YES"));
}

void TestSettings::values_data()
{
    QTest::addColumn<QVariant>("value");  // set through Settings, unless `line` is given
    QTest::addColumn<QByteArray>("line"); // under [General] when it starts with the key, else the file
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("flag");
    QTest::addColumn<QStringList>("list");
    auto set = [](const char *tag, const QVariant &value, const QString &text, bool flag,
                  const QStringList &list) {
        QTest::newRow(tag) << value << QByteArray() << text << flag << list;
    };
    auto file = [](const char *tag, const QByteArray &line, const QString &text, bool flag,
                   const QStringList &list) {
        QTest::newRow(tag) << QVariant() << line << text << flag << list;
    };
    set("missing key", QVariant(), QString(), false, {});
    set("true", true, u"true"_s, true, {u"true"_s});
    set("number", 42, u"42"_s, true, {u"42"_s});
    set("zero", 0, u"0"_s, false, {u"0"_s});
    const QString odd = u"x=1; \"q\"\n\\tab\t \u00e9\u65e5"_s;
    set("text with odd characters", odd, odd, false, {odd});
    set("list of one with comma", QStringList{u"a, b"_s}, u"a, b"_s, false, {u"a, b"_s});
    set("list of one empty text", QStringList{QString()}, QString(), false, {QString()});
    const QStringList several{u"/opt/a"_s, u"b, c"_s, u"\"d\""_s, QString(), u"\u00fcber"_s};
    set("list of several", several, QString(), false, several);
    set("empty list", QStringList{}, QString(), false, {});
    set("bytes", QByteArray("raw\0bytes", 9), QString(), false, {});
    file("-1", "Key=-1", u"-1"_s, true, {u"-1"_s});
    file("0.0", "Key=0.0", u"0.0"_s, false, {u"0.0"_s});
    file("garbage", "Key=maybe", u"maybe"_s, false, {u"maybe"_s});
    file("spaces around, any case", "Key =  Yes  ", u"Yes"_s, true, {u"Yes"_s});
    file("empty", "Key=", QString(), false, {QString()});
    file("list", "Key=a, b,c", QString(), false, {u"a"_s, u"b"_s, u"c"_s});
    file("quoted UTF-8", "Key=\"caf\xc3\xa9, b\"", u"caf\u00e9, b"_s, false, {u"caf\u00e9, b"_s});
    file("no General header", "Other=1\r\nKey=YES", u"YES"_s, true, {u"YES"_s});
}

// The typed readers answer the same from the instance that wrote a value and from the file a later run
// reads, where every plain value has become text and a list of one a single text.
void TestSettings::values()
{
    QFETCH(QVariant, value);
    QFETCH(QByteArray, line);
    QFETCH(QString, text);
    QFETCH(bool, flag);
    QFETCH(QStringList, list);

    const QString file = path(u"Vellumry.conf"_s);
    std::unique_ptr<Settings> writer;
    if (!line.isNull()) {
        writeFile(file, line.startsWith("Key") ? "[General]\n" + line + '\n' : line);
    } else {
        writer = std::make_unique<Settings>(file);
        if (value.isValid())
            writer->setValue(u"Key"_s, value);
        QVERIFY(writer->synchronize());
        QCOMPARE(QFile::exists(file), value.isValid()); // nothing to write, nothing written
    }
    const auto reader = QFile::exists(file) ? reopened(file) : std::make_unique<Settings>(file);
    for (const Settings *settings : {writer.get(), reader.get()}) {
        if (!settings)
            continue;
        QCOMPARE(settings->string(u"Key"_s), text);
        QCOMPARE(settings->boolean(u"Key"_s), flag);
        QCOMPARE(settings->stringList(u"Key"_s), list);
    }
}

void TestSettings::removedKeyStaysRemoved()
{
    const QString file = path(u"Vellumry.conf"_s);
    Settings settings(file);
    settings.setValue(u"ExampleAlertSuppress"_s, true);
    settings.setValue(u"FirstStartData"_s, u"YES"_s);
    QVERIFY(settings.synchronize());
    settings.remove(u"ExampleAlertSuppress"_s);
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
    const QString file = path(u"damaged.conf"_s);
    writeFile(file, bytes);
    {
        Settings settings(file);
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
    settings.setValue(u"FirstStartData"_s, u"YES"_s);
    QVERIFY(!settings.synchronize());
    QVERIFY(QFileInfo(file).isDir());
}

QTEST_GUILESS_MAIN(TestSettings)
#include "tst_settings.moc"
