// Path bytes survive the trip through QString, and typed paths resolve as the kernel would.
#include "platform/NativePath.h"
#include "support/TempDir.h"
#include "support/TreeBuilder.h"

#include <QDir>
#include <QFileInfo>
#include <QTest>

#include <tuple>

#include <unistd.h>

using namespace vellumry;
using namespace vellumry::test;

namespace {

// "@" in a table's text stands for the real path of the temporary root; the folder "w" inside it is the
// working folder.
QByteArray expand(QByteArray text, const QByteArray &root) { return text.replace('@', root); }

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
        // Joining never doubles or drops a slash.
        QCOMPARE(joinNativePath("/", "b"), "/b");
        QCOMPARE(joinNativePath("/a/", "b"), "/a/b");
    }

    void operand_data() // typed in the working folder @/w
    {
        QTest::addColumn<QByteArray>("in");
        QTest::addColumn<QByteArray>("out");
        for (const auto &[tag, in, out] : std::initializer_list<std::tuple<const char *, QByteArray, QByteArray>>{
                 {"plain name", "a.jpg", "@/w/a.jpg"},
                 {"dot", ".", "@/w"},
                 {"dot dot", "..", "@"},
                 {"dot dot and dot inside", "p/q/../q/r/./z.jpg", "@/w/p/q/r/z.jpg"},
                 {"link named last stays", "ln/", "@/w/ln"},
                 {"dot dot after a link", "ln/../x.jpg", "@/target/x.jpg"},
                 {"root slashes dot", "//.", "/"},
                 {"missing folder part", "gone/sub/../f.txt", "@/w/gone/f.txt"},
                 {"missing above root", "/no-such-folder-here/../..", "/"},
                 {"not UTF-8", "caf\xe9/../r\xe9s.txt", "@/w/r\xe9s.txt"},
                 {"empty", "", ""}})
            QTest::newRow(tag) << in << out;
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
};

QTEST_GUILESS_MAIN(TestNativePath)
#include "tst_nativepath.moc"
