// Path bytes survive the trip through QString, the escaped listing form is exact, typed paths resolve
// as the kernel would, and the places that hold everything are refused as main folders.
#include "platform/NativePath.h"
#include "support/TempHome.h"
#include "support/TreeBuilder.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <unistd.h>

using namespace vellumry;
using namespace vellumry::test;

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
    void operand_data();
    void operand();
    void mainFolder_data();
    void mainFolder();
};

namespace {

// "@" in a table's text stands for the real path of the temporary root: the folder "w" inside it is the
// working folder of the operand table, "home" is $HOME in the guard table.
QByteArray expand(QByteArray text, const QByteArray &root)
{
    return text.replace('@', root);
}

} // namespace

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

void TestNativePath::operand_data()
{
    QTest::addColumn<QByteArray>("operand"); // typed in the working folder @/w
    QTest::addColumn<QByteArray>("resolved");
    const auto row = [](const char *tag, const char *operand, const char *resolved) {
        QTest::newRow(tag) << QByteArray(operand) << QByteArray(resolved);
    };
    row("plain name", "a.jpg", "@/w/a.jpg");
    row("dot", ".", "@/w");
    row("dot dot", "..", "@");
    row("dot dot inside", "p/q/../q/r/z.jpg", "@/w/p/q/r/z.jpg");
    row("dot inside", "p/q/r/./z.jpg", "@/w/p/q/r/z.jpg");
    row("link named last stays", "ln/", "@/w/ln");
    row("dot dot after a link", "ln/../x.jpg", "@/target/x.jpg");
    row("root dot", "/.", "/");
    row("root slashes dot", "//.", "/");
    row("missing folder part", "gone/sub/../f.txt", "@/w/gone/f.txt");
    row("missing above root", "/no-such-folder-here/../..", "/");
    row("not UTF-8", "caf\xe9/../r\xe9s.txt", "@/w/r\xe9s.txt");
    row("empty", "", "");
}

void TestNativePath::operand()
{
    QFETCH(QByteArray, operand);
    QFETCH(QByteArray, resolved);
    TempDir tmp;
    const QByteArray root = QFile::encodeName(QFileInfo(QFile::decodeName(tmp.path())).canonicalFilePath());
    TreeBuilder tree(root);
    tree.file("w/p/q/r/z.jpg");
    tree.dir("w/caf\xe9");
    tree.dir("target/real");
    tree.symlink("w/ln", "../target/real");
    const QString before = QDir::currentPath();
    QVERIFY(::chdir(tree.path("w").constData()) == 0);
    const QByteArray result = absoluteOperandPath(expand(operand, root));
    QVERIFY(QDir::setCurrent(before));
    QCOMPARE(result, expand(resolved, root));
}

void TestNativePath::mainFolder_data()
{
    QTest::addColumn<QByteArray>("path"); // "@" is the temporary root holding home/
    QTest::addColumn<QString>("refusal");
    const auto row = [](const char *tag, const char *path, const char *refusal) {
        QTest::newRow(tag) << QByteArray(path) << QString::fromUtf8(refusal);
    };
    row("root dot", "/.", "the file-system root");
    row("root by dot dots", "@/../../../../../../../..", "the file-system root");
    row("home", "@/home", "the home folder");
    row("home by dot dot", "@/home/work/..", "the home folder");
    row("link to home", "@/home/work/homelink", "the home folder");
    row("above home", "@/home/..", "a folder holding the home folder");
    row("Trash", "@/home/.local/share/Trash", "the Trash");
    row("inside Trash", "@/home/.local/share/Trash/files/old", "the Trash");
    row("disk trash of a user", "@/disk/.Trash-1000", "the Trash");
    row("inside shared disk trash", "@/disk/.Trash/1000/files", "the Trash");
    row("plain file", "@/home/work/plain.txt", "not a folder");
    row("missing", "@/home/work/missing", "no such folder");
    row("ordinary folder", "@/home/work", "");
}

void TestNativePath::mainFolder()
{
    QFETCH(QByteArray, path);
    QFETCH(QString, refusal);
    TempHome home;
    TreeBuilder tree(QFile::encodeName(home.root()));
    tree.file("home/work/plain.txt");
    tree.dir("home/.local/share/Trash/files/old");
    tree.dir("disk/.Trash-1000");
    tree.dir("disk/.Trash/1000/files");
    tree.symlink("home/work/homelink", "..");
    QCOMPARE(mainFolderRefusal(expand(path, tree.root())), refusal);
}

QTEST_GUILESS_MAIN(TestNativePath)
#include "tst_nativepath.moc"
