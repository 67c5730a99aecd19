// vellumry-cli login: one word on standard output, the autostart entry and the stored preference.
#include "platform/ChildProcess.h"
#include "platform/LoginItems.h"
#include "platform/Settings.h"
#include "support/TempHome.h"

#include <QFile>
#include <QTest>

using namespace vellumry;
using namespace vellumry::test;

namespace {

ProcessResult cli(const QList<QByteArray> &arguments)
{
    return runProcess(qgetenv("VELLUMRY_CLI"), arguments, 60000);
}

} // namespace

class TestCliLogin : public QObject
{
    Q_OBJECT
private Q_SLOTS:
    void addStatusRemove()
    {
        TempHome home; // the child writes this home's autostart folder and settings
        const LoginItems items(qgetenv("VELLUMRY_APP"));
        const auto stored = [] { return Settings().string(QStringLiteral("BAutoLogin")); };
        const QList<std::pair<QByteArray, QByteArray>> steps{
            {"status", "disabled\n"}, {"add", "enabled\n"},     {"add", "enabled\n"},
            {"status", "enabled\n"},  {"remove", "disabled\n"}, {"remove", "disabled\n"},
        };
        for (const auto &[command, output] : steps) {
            const ProcessResult run = cli({"login", command});
            QVERIFY(run.succeeded());
            QCOMPARE(run.standardOutput, output);
            QCOMPARE(items.isEnabled(), output == "enabled\n"); // the entry starts the window program
            if (command != "status")
                QCOMPARE(stored(), output == "enabled\n" ? QStringLiteral("YES") : QStringLiteral("NO"));
        }
    }

    void usageAndFailure_data()
    {
        QTest::addColumn<QList<QByteArray>>("arguments");
        QTest::addColumn<int>("status");
        QTest::newRow("no action") << QList<QByteArray>{"login"} << 2;
        QTest::newRow("unknown action") << QList<QByteArray>{"login", "on"} << 2;
        QTest::newRow("extra argument") << QList<QByteArray>{"login", "add", "now"} << 2;
        QTest::newRow("autostart folder blocked") << QList<QByteArray>{"login", "add"} << 1;
    }
    void usageAndFailure()
    {
        QFETCH(QList<QByteArray>, arguments);
        QFETCH(int, status);
        TempHome home;
        QFile blocker(home.configHome() + QStringLiteral("/autostart"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        const ProcessResult run = cli(arguments);
        QVERIFY(run.started && run.exitedNormally);
        QCOMPARE(run.exitCode, status);
        QCOMPARE(run.standardOutput, QByteArray());
    }
};

QTEST_GUILESS_MAIN(TestCliLogin)
#include "tst_cli_login.moc"
