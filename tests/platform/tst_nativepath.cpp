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

namespace {

// "@" in a table's text stands for the real path of the temporary root: the folder "w" inside it is the
// working folder of the operand table, "home" is $HOME in the guard table.
QByteArray expand(QByteArray text, const QByteArray &root) { return text.replace('@', root); }

void pairs(const QList<std::pair<const char *, std::pair<QByteArray, QByteArray>>> &rows)
{
    QTest::addColumn<QByteArray>("in");
    QTest::addColumn<QByteArray>("out");
    for (const auto &[tag, row] : rows)
        QTest::newRow(tag) << row.first << row.second;
}

} // namespace

class TestNativePath : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void roundTrip_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("valid"); // decodes as ordinary UTF-8
        const auto row = [](const char *tag, QByteArray bytes, bool valid) { QTest::newRow(tag) << bytes << valid; };
        row("utf8, four-byte", "caf\xc3\xa9/\xe6\x97\xa5 \xf0\x9f\x98\x80.png", true);
        row("latin1 byte", "r\xe9sum\xe9.doc", false);
        row("lone continuation", "a\x80z", false);
        row("truncated sequence at end", "name\xe2\x82", false);
        row("overlong slash", "a\xc0\xaf", false);
        row("encoded surrogate", "x\xed\xb2\x80y", false);
        row("above U+10FFFF", "\xf4\x90\x80\x80", false);
        row("control characters", "tab\there\nnew", true);
        row("empty", QByteArray(), true);
    }
    void roundTrip()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, valid);
        const QString path = fromNativePath(bytes);
        QCOMPARE(toNativePath(path), bytes);
        QCOMPARE(hasEscapedBytes(path), !valid);
        if (valid)
            QCOMPARE(path, QString::fromUtf8(bytes));
        // Shown with only the bad bytes marked.
        QCOMPARE(displayPath(fromNativePath("caf\xc3\xa9-\xe9.txt")), QStringLiteral("caf\u00e9-\ufffd.txt"));
    }

    void escapedName_data()
    {
        pairs({{"plain", {"/a/b c.jpg", "/a/b c.jpg"}},
               {"tab and newline", {"a\tb\nc", "a\\tb\\nc"}},
               {"backslash, escape lookalike", {"a\\b\\x41", "a\\\\b\\\\x41"}},
               {"utf8 kept", {"caf\xc3\xa9", "caf\xc3\xa9"}},
               {"invalid byte", {"r\xe9sum\xe9", "r\\xe9sum\\xe9"}},
               {"truncated sequence", {"\xe2\x82z", "\\xe2\\x82z"}},
               {"carriage return stays", {"a\rb", "a\rb"}}});
    }
    void escapedName()
    {
        QFETCH(QByteArray, in);
        QFETCH(QByteArray, out);
        std::string escaped;
        appendEscapedName(escaped, std::string_view(in.constData(), size_t(in.size())));
        QCOMPARE(QByteArray::fromStdString(escaped), out);
        // Joining never doubles or drops a slash.
        QCOMPARE(joinNativePath("/", "b"), "/b");
        QCOMPARE(joinNativePath("/a/", "b"), "/a/b");
    }

    void operand_data() // typed in the working folder @/w
    {
        pairs({{"plain name", {"a.jpg", "@/w/a.jpg"}},
               {"dot", {".", "@/w"}},
               {"dot dot", {"..", "@"}},
               {"dot dot and dot inside", {"p/q/../q/r/./z.jpg", "@/w/p/q/r/z.jpg"}},
               {"link named last stays", {"ln/", "@/w/ln"}},
               {"dot dot after a link", {"ln/../x.jpg", "@/target/x.jpg"}},
               {"root slashes dot", {"//.", "/"}},
               {"missing folder part", {"gone/sub/../f.txt", "@/w/gone/f.txt"}},
               {"missing above root", {"/no-such-folder-here/../..", "/"}},
               {"not UTF-8", {"caf\xe9/../r\xe9s.txt", "@/w/r\xe9s.txt"}},
               {"empty", {"", ""}}});
    }
    void operand()
    {
        QFETCH(QByteArray, in);
        QFETCH(QByteArray, out);
        TempDir tmp;
        const QByteArray root = QFile::encodeName(QFileInfo(QFile::decodeName(tmp.path())).canonicalFilePath());
        TreeBuilder tree(root);
        tree.file("w/p/q/r/z.jpg");
        tree.dir("w/caf\xe9");
        tree.dir("target/real");
        tree.symlink("w/ln", "../target/real");
        const QString before = QDir::currentPath();
        QVERIFY(::chdir(tree.path("w").constData()) == 0);
        const QByteArray result = absoluteOperandPath(expand(in, root));
        QVERIFY(QDir::setCurrent(before));
        QCOMPARE(result, expand(out, root));
    }

    void mainFolder_data() // "@" is the temporary root holding home/
    {
        pairs({{"root dot", {"/.", "the file-system root"}},
               {"root by dot dots", {"@/../../../../../../../..", "the file-system root"}},
               {"home by dot dot", {"@/home/work/..", "the home folder"}},
               {"link to home", {"@/home/work/homelink", "the home folder"}},
               {"above home", {"@/home/..", "a folder holding the home folder"}},
               {"Trash", {"@/home/.local/share/Trash", "the Trash"}},
               {"inside Trash", {"@/home/.local/share/Trash/files/old", "the Trash"}},
               {"disk trash of a user", {"@/disk/.Trash-1000", "the Trash"}},
               {"inside shared disk trash", {"@/disk/.Trash/1000/files", "the Trash"}},
               {"plain file", {"@/home/work/plain.txt", "not a folder"}},
               {"missing", {"@/home/work/missing", "no such folder"}},
               {"ordinary folder", {"@/home/work", ""}}});
    }
    void mainFolder()
    {
        QFETCH(QByteArray, in);
        QFETCH(QByteArray, out);
        TempHome home;
        TreeBuilder tree(QFile::encodeName(home.root()));
        tree.file("home/work/plain.txt");
        tree.dir("home/.local/share/Trash/files/old");
        tree.dir("disk/.Trash-1000");
        tree.dir("disk/.Trash/1000/files");
        tree.symlink("home/work/homelink", "..");
        QCOMPARE(mainFolderRefusal(expand(in, tree.root())), QString::fromUtf8(out));
    }
};

QTEST_GUILESS_MAIN(TestNativePath)
#include "tst_nativepath.moc"
