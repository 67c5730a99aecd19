// vellumry-cli apps as scripts see it: exact lines, sort orders, usage errors.
#include "AppFixtures.h"

#include "platform/ChildProcess.h"
#include "support/TempHome.h"

#include <QTest>

using namespace vellumry;
using namespace vellumry::test;
using namespace Qt::StringLiterals;

class TestAppsCli : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void linesAndOrders()
    {
        TempHome home;
        const QString apps = home.dataHome() + u"/applications"_s;
        const QString script = writeScript(home.root() + u"/bin/tool.sh"_s);
        writeEntry(apps, u"binary.desktop"_s, u"Exec=/bin/true"_s, utc("2023-01-02T03:04:05Z"));
        writeEntry(apps, u"script.desktop"_s, u"Exec="_s + script + u" %f\nX-AppImage-Version=0.9"_s,
                   utc("2022-01-01T00:00:00Z"));
        writeRecentUses(home.dataHome() + u"/recently-used.xbel"_s,
                        {{"file:///a", "tool", "&apos;tool.sh %u&apos;", "2024-07-08T09:10:11Z", 3}});
        const QByteArray bits = isX86_64() ? "YES" : "NO";
        const QByteArray binary = "binary.desktop\t" + apps.toUtf8() + "/binary.desktop\t1.0.0\t" + bits +
                                  "\t0\t2023-01-02 03:04:05\n";
        const QByteArray tool = "script.desktop\t" + apps.toUtf8() + "/script.desktop\t0.9\tNO\t3\t2024-07-08 09:10:11\n";

        const QByteArray cli = qgetenv("VELLUMRY_CLI");
        ProcessResult run = runProcess(cli, {"apps"}, 60000);
        QVERIFY(run.succeeded());
        QCOMPARE(run.standardOutput, binary + tool);
        run = runProcess(cli, {"apps", "--sort", "count"}, 60000);
        QCOMPARE(run.standardOutput, tool + binary);
        run = runProcess(cli, {"apps", "--sort=date"}, 60000);
        QCOMPARE(run.standardOutput, tool + binary);
        run = runProcess(cli, {"apps", "--sort", "name"}, 60000);
        QCOMPARE(run.standardOutput, binary + tool);

        for (const QList<QByteArray> &wrong : QList<QList<QByteArray>>{
                 {"apps", "--sort"}, {"apps", "--sort", "size"}, {"apps", "--all"}, {"apps", "extra"}}) {
            run = runProcess(cli, wrong, 60000);
            QCOMPARE(run.exitCode, 2);
            QVERIFY(run.standardOutput.isEmpty());
        }
    }
};

QTEST_GUILESS_MAIN(TestAppsCli)
#include "tst_appscli.moc"
