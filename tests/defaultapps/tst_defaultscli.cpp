// vellumry-cli defaults as scripts see it: exact lines and exit statuses.
#include "DesktopFixture.h"
#include "platform/ChildProcess.h"

#include <QTest>

#include <memory>

using namespace vellumry;
using namespace vellumry::test;
using namespace Qt::StringLiterals;

namespace {

ProcessResult cli(const QList<QByteArray> &arguments) { return runProcess(qgetenv("VELLUMRY_CLI"), arguments, 60000); }

} // namespace

class TestDefaultsCli : public QObject
{
    Q_OBJECT
    std::unique_ptr<DesktopFixture> desk;
    QByteArray root;

private Q_SLOTS:
    void initTestCase()
    {
        desk = std::make_unique<DesktopFixture>();
        root = desk->home.root().toUtf8();
    }
    void init()
    {
        desk->writeMimeapps("[Default Applications]\nimage/png=viewer.desktop\nimage/jpeg=viewer.desktop\n"
                            "image/gif=spaced.desktop\n\n[Added Associations]\nx-scheme-handler/x-test=viewer.desktop;\n");
    }
    void cleanupTestCase() { desk.reset(); }

    void typeAndGet()
    {
        ProcessResult run = cli({"defaults", "type", "JPG", "zzqq"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.standardOutput, "image/jpeg\napplication/x-extension-zzqq\n");
        run = cli({"defaults", "get", "png", "gif", "tiff"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.standardOutput, root + "/usr/share/applications/viewer.desktop\n" + root +
                                         "/my apps/applications/spaced.desktop\n(null)\n");
    }

    void setReportsEachExtension()
    {
        ProcessResult run = cli({"defaults", "set", "player", "xcf", "png"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.standardOutput, "set\txcf\nset\tpng\n");
        run = cli({"defaults", "map"});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.standardOutput, root + "/my apps/applications/spaced.desktop\tGIF\n" + root +
                                         "/usr/share/applications/viewer.desktop\tJPEG, JPG\n" + root +
                                         "/usr/share/applications/player.desktop\tPNG, XCF\n");
        QVERIFY(desk->mimeapps().contains("x-scheme-handler/x-test=viewer.desktop;"));

        run = cli({"defaults", "set", "unknown.desktop", "gif"});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.standardOutput, "failed\tgif\tno such application\n");
        run = cli({"defaults", "set", "viewer.desktop", "gif", "a=b"});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.standardOutput, "set\tgif\nfailed\ta=b\tnot a usable extension\n");
    }

    void usageErrors_data()
    {
        QTest::addColumn<QList<QByteArray>>("arguments");
        QTest::newRow("no subcommand") << QList<QByteArray>{"defaults"};
        QTest::newRow("unknown subcommand") << QList<QByteArray>{"defaults", "frob", "jpg"};
        QTest::newRow("type without extension") << QList<QByteArray>{"defaults", "type"};
        QTest::newRow("set without extension") << QList<QByteArray>{"defaults", "set", "viewer"};
        QTest::newRow("map with an argument") << QList<QByteArray>{"defaults", "map", "jpg"};
        QTest::newRow("unknown option") << QList<QByteArray>{"defaults", "get", "--all"};
    }
    void usageErrors()
    {
        QFETCH(QList<QByteArray>, arguments);
        const ProcessResult run = cli(arguments);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(run.standardOutput.isEmpty());
    }
};

QTEST_GUILESS_MAIN(TestDefaultsCli)
#include "tst_defaultscli.moc"
