// Path bytes survive the trip through QString, and the escaped listing form is exact.
#include "platform/NativePath.h"

#include <QTest>

using namespace vellumry;

class TestNativePath : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void roundTrip_data();
    void roundTrip();
    void displayMarksOnlyBadBytes();
    void escapedName_data();
    void escapedName();
    void join_data();
    void join();
};

void TestNativePath::roundTrip_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<bool>("valid"); // decodes as ordinary UTF-8
    QTest::newRow("ascii") << QByteArray("/home/user/photo 1.jpg") << true;
    QTest::newRow("utf8") << QByteArray("caf\xc3\xa9/\xe6\x97\xa5\xe6\x9c\xac.txt") << true;
    QTest::newRow("four-byte") << QByteArray("smile \xf0\x9f\x98\x80.png") << true;
    QTest::newRow("latin1 byte") << QByteArray("r\xe9sum\xe9.doc") << false;
    QTest::newRow("lone continuation") << QByteArray("a\x80z") << false;
    QTest::newRow("truncated sequence at end") << QByteArray("name\xe2\x82") << false;
    QTest::newRow("overlong slash") << QByteArray("a\xc0\xaf") << false;
    QTest::newRow("encoded surrogate") << QByteArray("x\xed\xb2\x80y") << false;
    QTest::newRow("above U+10FFFF") << QByteArray("\xf4\x90\x80\x80") << false;
    QTest::newRow("all high bytes") << QByteArray("\xff\xfe\xfd") << false;
    QTest::newRow("control characters") << QByteArray("tab\there\nnew") << true;
    QTest::newRow("empty") << QByteArray() << true;
}

void TestNativePath::roundTrip()
{
    QFETCH(QByteArray, bytes);
    QFETCH(bool, valid);
    const QString path = fromNativePath(bytes);
    QCOMPARE(toNativePath(path), bytes);
    QCOMPARE(hasEscapedBytes(path), !valid);
    if (valid)
        QCOMPARE(path, QString::fromUtf8(bytes));
}

void TestNativePath::displayMarksOnlyBadBytes()
{
    const QString path = fromNativePath("caf\xc3\xa9-\xe9.txt");
    QCOMPARE(displayPath(path), QStringLiteral("caf\u00e9-\ufffd.txt"));
}

void TestNativePath::escapedName_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("escaped");
    QTest::newRow("plain") << QByteArray("/a/b c.jpg") << QByteArray("/a/b c.jpg");
    QTest::newRow("tab") << QByteArray("a\tb") << QByteArray("a\\tb");
    QTest::newRow("newline") << QByteArray("a\nb") << QByteArray("a\\nb");
    QTest::newRow("backslash") << QByteArray("a\\b") << QByteArray("a\\\\b");
    QTest::newRow("escape lookalike") << QByteArray("a\\x41") << QByteArray("a\\\\x41");
    QTest::newRow("utf8 kept") << QByteArray("caf\xc3\xa9") << QByteArray("caf\xc3\xa9");
    QTest::newRow("invalid byte") << QByteArray("r\xe9sum\xe9") << QByteArray("r\\xe9sum\\xe9");
    QTest::newRow("truncated sequence") << QByteArray("\xe2\x82z") << QByteArray("\\xe2\\x82z");
    QTest::newRow("carriage return stays") << QByteArray("a\rb") << QByteArray("a\rb");
}

void TestNativePath::escapedName()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, escaped);
    std::string out;
    appendEscapedName(out, std::string_view(bytes.constData(), size_t(bytes.size())));
    QCOMPARE(QByteArray::fromStdString(out), escaped);
}

void TestNativePath::join_data()
{
    QTest::addColumn<QByteArray>("folder");
    QTest::addColumn<QByteArray>("name");
    QTest::addColumn<QByteArray>("joined");
    QTest::newRow("plain") << QByteArray("/a") << QByteArray("b") << QByteArray("/a/b");
    QTest::newRow("root") << QByteArray("/") << QByteArray("b") << QByteArray("/b");
    QTest::newRow("trailing slash") << QByteArray("/a/") << QByteArray("b") << QByteArray("/a/b");
}

void TestNativePath::join()
{
    QFETCH(QByteArray, folder);
    QFETCH(QByteArray, name);
    QFETCH(QByteArray, joined);
    QCOMPARE(joinNativePath(folder, name), joined);
}

QTEST_GUILESS_MAIN(TestNativePath)
#include "tst_nativepath.moc"
