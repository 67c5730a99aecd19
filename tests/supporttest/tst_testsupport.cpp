// The fixture behaviour that tests using the fixtures would not notice going wrong: putting the
// environment back, and keeping names byte for byte.
#include "support/TempDir.h"
#include "support/TempHome.h"
#include "support/TreeBuilder.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace vellumry::test;

class TestTestSupport : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    // Each variable, set before or not: nested homes put back what they found, the outermost the original.
    void tempHomeRestoresVariables()
    {
        for (const char *name : {"HOME", "XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "XDG_STATE_HOME",
                                 "XDG_DATA_DIRS", "XDG_CONFIG_DIRS", "XDG_RUNTIME_DIR"}) {
            for (const QByteArray &before : {"/nonexistent/vellumry-sentinel"_ba, QByteArray()}) {
                QVERIFY(before.isNull() ? qunsetenv(name) : qputenv(name, before));
                {
                    TempHome home;
                    const QByteArray outer = qgetenv(name);
                    QVERIFY2(QString::fromLocal8Bit(outer).startsWith(home.root() + u'/'), name);
                    const auto inner = [name] { const TempHome nested; return qgetenv(name); };
                    QVERIFY(inner() != outer);
                    QCOMPARE(qgetenv(name), outer);
                }
                QCOMPARE(qEnvironmentVariableIsSet(name), !before.isNull());
                QCOMPARE(qgetenv(name), before);
            }
        }
    }

    // Names that are not UTF-8 reach the file system byte for byte, and a snapshot lists hidden entries
    // and records a dangling link as a link instead of following it.
    void treeBuilderKeepsRawNames()
    {
        TempDir temp;
        TreeBuilder tree(temp.path() + "/r\xff");
        QCOMPARE(tree.file(".hidden/b\xfe\x01", 10), temp.path() + "/r\xff/.hidden/b\xfe\x01");
        tree.symlink("up\xe9", "../\x80missing");
        using E = TreeBuilder::Entry;
        const TreeBuilder::Snapshot snapshot = tree.snapshot();
        QCOMPARE(snapshot.keys(), QByteArrayList({".hidden", ".hidden/b\xfe\x01", "up\xe9"}));
        QCOMPARE(snapshot.value(".hidden"), (E{'d', 0, {}, {}}));
        QCOMPARE(snapshot.value(".hidden/b\xfe\x01").type, 'f');
        QCOMPARE(snapshot.value(".hidden/b\xfe\x01").size, 10);
        QCOMPARE(snapshot.value("up\xe9"), (E{'l', 11, {}, "../\x80missing"_ba}));
    }
};

QTEST_GUILESS_MAIN(TestTestSupport)
#include "tst_testsupport.moc"
