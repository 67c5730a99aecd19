// Runs real programs through runProcess() and checks what comes back.
#include "platform/ChildProcess.h"

#include <QElapsedTimer>
#include <QTest>

#include <atomic>
#include <thread>
#include <vector>

using namespace vellumry;

namespace {

constexpr int kSignalled = -1; // killed by a signal, or by runProcess() at the timeout
constexpr int kNotStarted = -2;

const QByteArray kPrintf = QByteArrayLiteral("/usr/bin/printf");

QByteArrayList shell(const QByteArray &script)
{
    return {"/bin/sh", "-c", script};
}

// The lines "1\n" to "<last>\n", as seq prints them.
QByteArray numberLines(int last)
{
    QByteArray lines;
    for (int i = 1; i <= last; ++i)
        lines += QByteArray::number(i) + '\n';
    return lines;
}

} // namespace

class TestChildProcess : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void runs_data()
    {
        QTest::addColumn<QByteArrayList>("command"); // the program, then its arguments
        QTest::addColumn<int>("timeoutMs");
        QTest::addColumn<int>("status");        // the exit code, kSignalled or kNotStarted
        QTest::addColumn<QByteArray>("output"); // all of standard output; null when it does not matter

        const auto row = [](const char *tag, const QByteArrayList &command, int timeoutMs, int status,
                            const QByteArray &output) { QTest::newRow(tag) << command << timeoutMs << status << output; };
        row("NUL and high bytes", {kPrintf, "\\000\\001\\377\\200x\\000"}, -1, 0, QByteArray("\0\1\377\200x\0", 6));
        row("argument bytes unchanged, no shell",
            {kPrintf, "[%s]", "\xff\xfe", "caf\xc3", "", "a b", "$HOME", "; echo hi"}, -1, 0,
            "[\xff\xfe][caf\xc3][][a b][$HOME][; echo hi]");
        row("standard error left out", shell("echo out; echo err >&2; echo more"), -1, 0, "out\nmore\n");
        // Standard error is written first and last, so a reader that only waits on standard output would
        // leave the child blocked on a full pipe.
        row("large output on both pipes",
            shell("seq 1 1000000 >&2; seq 1 1000000; seq 1 1000000 >&2; seq 1000001 1200000"), 60000, 0,
            numberLines(1200000));
        row("exit 255", shell("exit 255"), -1, 255, "");
        row("killed by a signal", shell("kill -KILL $$"), -1, kSignalled, "");
        // End-of-file on both pipes comes long before the exit.
        row("closes its pipes first", shell("exec >&- 2>&-; sleep 0.2; exit 7"), -1, 7, "");
        row("closes its pipes first, with a timeout", shell("exec >&- 2>&-; sleep 0.2; exit 7"), 10000, 7, "");
        row("missing program", {"/nonexistent/vellumry-no-such-program"}, -1, kNotStarted, "");
        row("relative name, no PATH search", {"sh", "-c", "true"}, -1, kNotStarted, "");
        row("not executable", {"/etc/passwd"}, -1, kNotStarted, "");
        row("NUL inside an argument", {kPrintf, QByteArray("a\0b", 3)}, -1, kNotStarted, "");
        row("timeout, sleeping", shell("exec sleep 30"), 300, kSignalled, "");
        row("timeout, pipes closed", shell("exec >&- 2>&-; sleep 30"), 300, kSignalled, "");
        row("timeout, endless output", shell("exec yes"), 300, kSignalled, QByteArray());
        // The background sleep keeps both pipes open after its parent is killed; what was read is kept.
        row("timeout, grandchild holds the pipes", shell("sleep 8 & echo started; exec sleep 30"), 300,
            kSignalled, "started\n");
    }

    void runs()
    {
        QFETCH(QByteArrayList, command);
        QFETCH(int, timeoutMs);
        QFETCH(int, status);
        QFETCH(QByteArray, output);

        QElapsedTimer clock;
        clock.start();
        const ProcessResult result = runProcess(command.first(), command.mid(1), timeoutMs);
        const qint64 elapsed = clock.elapsed();
        QCOMPARE(result.started, status != kNotStarted);
        QCOMPARE(result.exitedNormally, status >= 0);
        if (status >= 0)
            QCOMPARE(result.exitCode, status);
        QCOMPARE(result.succeeded(), status == 0);
        if (!output.isNull())
            QCOMPARE(result.standardOutput, output);
        if (status == kSignalled && timeoutMs >= 0) // stopped at the timeout: not early, and not much later
            QVERIFY2(elapsed >= timeoutMs - 5 && elapsed < timeoutMs + 2000,
                     QByteArray::number(elapsed).constData());
    }

    void concurrentCallsKeepTheirOwnOutput()
    {
        std::atomic<int> failures{0};
        const QByteArray bulk = numberLines(100000);
        std::vector<std::thread> threads;
        for (int t = 0; t < 8; ++t) {
            threads.emplace_back([&, t] {
                for (int i = 0; i < 25; ++i) {
                    const QByteArray tag = QByteArray::number(t) + '-' + QByteArray::number(i);
                    // Every other thread mixes in runs with more output than a pipe holds.
                    const bool large = t % 2 == 1 && i % 5 == 0;
                    const QByteArrayList command = large ? shell("seq 1 100000; echo " + tag + " >&2")
                                                         : QByteArrayList{kPrintf, "<%s>", tag};
                    const ProcessResult result = runProcess(command.first(), command.mid(1), 60000);
                    if (!result.succeeded() || result.standardOutput != (large ? bulk : '<' + tag + '>'))
                        ++failures;
                }
            });
        }
        for (std::thread &thread : threads)
            thread.join();
        QCOMPARE(failures.load(), 0);
    }
};

QTEST_GUILESS_MAIN(TestChildProcess)
#include "tst_childprocess.moc"
