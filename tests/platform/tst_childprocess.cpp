// Runs real programs through runProcess() and checks what comes back.
#include "platform/ChildProcess.h"

#include <QElapsedTimer>
#include <QTest>

#include <atomic>
#include <thread>
#include <vector>

#include <signal.h>

using namespace vellumry;

namespace {

const QByteArray kSh = QByteArrayLiteral("/bin/sh");
const QByteArray kPrintf = QByteArrayLiteral("/usr/bin/printf");

ProcessResult runShell(const QByteArray &script, int timeoutMs = -1)
{
    return runProcess(kSh, {QByteArrayLiteral("-c"), script}, timeoutMs);
}

// The lines "1\n" to "<last>\n", as seq prints them.
QByteArray numberLines(int last)
{
    QByteArray lines;
    for (int i = 1; i <= last; ++i) {
        lines += QByteArray::number(i);
        lines += '\n';
    }
    return lines;
}

} // namespace

class TestChildProcess : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void capturesStandardOutputExactly_data();
    void capturesStandardOutputExactly();
    void reportsExitStatus_data();
    void reportsExitStatus();
    void refusesWhatCannotStart_data();
    void refusesWhatCannotStart();
    void passesArgumentBytesUnchanged_data();
    void passesArgumentBytesUnchanged();
    void connectsStandardStreams();
    void childStartsWithDefaultSignals();
    void drainsLargeOutputOnBothPipes();
    void timeoutStopsChild_data();
    void timeoutStopsChild();
    void timeoutDoesNotWaitForGrandchildren();
    void concurrentCallsKeepTheirOwnOutput();
};

void TestChildProcess::capturesStandardOutputExactly_data()
{
    QTest::addColumn<QByteArray>("program");
    QTest::addColumn<QList<QByteArray>>("arguments");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("nothing") << kPrintf << QList<QByteArray>{""} << QByteArray();
    QTest::newRow("no trailing newline") << kPrintf << QList<QByteArray>{"abc"} << QByteArray("abc");
    QTest::newRow("NUL and high bytes")
        << kPrintf << QList<QByteArray>{"\\000\\001\\377\\200x\\000"} << QByteArray("\0\1\377\200x\0", 6);
    QTest::newRow("standard error left out")
        << kSh << QList<QByteArray>{"-c", "echo out; echo err >&2; echo more"} << QByteArray("out\nmore\n");
}

void TestChildProcess::capturesStandardOutputExactly()
{
    QFETCH(QByteArray, program);
    QFETCH(QList<QByteArray>, arguments);
    QFETCH(QByteArray, expected);

    const ProcessResult result = runProcess(program, arguments);
    QVERIFY(result.succeeded());
    QCOMPARE(result.standardOutput, expected);
}

void TestChildProcess::reportsExitStatus_data()
{
    QTest::addColumn<QByteArray>("script");
    QTest::addColumn<int>("timeoutMs");
    QTest::addColumn<bool>("exitedNormally");
    QTest::addColumn<int>("exitCode");

    QTest::newRow("zero") << QByteArray("exit 0") << -1 << true << 0;
    QTest::newRow("one") << QByteArray("exit 1") << -1 << true << 1;
    QTest::newRow("255") << QByteArray("exit 255") << -1 << true << 255;
    QTest::newRow("killed by a signal") << QByteArray("kill -KILL $$") << -1 << false << -1;
    QTest::newRow("terminated within the timeout") << QByteArray("kill -TERM $$") << 10000 << false << -1;
    QTest::newRow("exits after closing its pipes")
        << QByteArray("exec >&- 2>&-; sleep 0.2; exit 7") << -1 << true << 7;
    QTest::newRow("exits after closing its pipes, within the timeout")
        << QByteArray("exec >&- 2>&-; sleep 0.2; exit 7") << 10000 << true << 7;
}

void TestChildProcess::reportsExitStatus()
{
    QFETCH(QByteArray, script);
    QFETCH(int, timeoutMs);
    QFETCH(bool, exitedNormally);
    QFETCH(int, exitCode);

    const ProcessResult result = runShell(script, timeoutMs);
    QVERIFY(result.started);
    QCOMPARE(result.exitedNormally, exitedNormally);
    if (exitedNormally)
        QCOMPARE(result.exitCode, exitCode);
    QCOMPARE(result.succeeded(), exitedNormally && exitCode == 0);
}

void TestChildProcess::refusesWhatCannotStart_data()
{
    QTest::addColumn<QByteArray>("program");
    QTest::addColumn<QList<QByteArray>>("arguments");

    QTest::newRow("missing program") << QByteArray("/nonexistent/vellumry-no-such-program")
                                     << QList<QByteArray>{};
    QTest::newRow("relative name, no PATH search") << QByteArray("sh") << QList<QByteArray>{"-c", "true"};
    QTest::newRow("not executable") << QByteArray("/etc/passwd") << QList<QByteArray>{};
    QTest::newRow("a folder") << QByteArray("/tmp") << QList<QByteArray>{};
    QTest::newRow("NUL inside an argument") << kPrintf << QList<QByteArray>{QByteArray("a\0b", 3)};
}

void TestChildProcess::refusesWhatCannotStart()
{
    QFETCH(QByteArray, program);
    QFETCH(QList<QByteArray>, arguments);

    const ProcessResult result = runProcess(program, arguments, 10000);
    QVERIFY(!result.started);
    QVERIFY(!result.exitedNormally);
    QVERIFY(!result.succeeded());
    QVERIFY(result.standardOutput.isEmpty());
}

void TestChildProcess::passesArgumentBytesUnchanged_data()
{
    QTest::addColumn<QList<QByteArray>>("arguments");

    QTest::newRow("bytes that are not UTF-8") << QList<QByteArray>{"\xff\xfe", "caf\xc3", "\x80-\xc0\xaf"};
    QTest::newRow("valid UTF-8") << QList<QByteArray>{"\xc3\xbcmlaut \xe2\x82\xac"};
    QTest::newRow("shell characters") << QList<QByteArray>{"$HOME", "*", "a b", "'\"", "; echo hi", "`id`"};
    QTest::newRow("empty and dashes") << QList<QByteArray>{"", "-n", "--"};
    QTest::newRow("control characters") << QList<QByteArray>{"tab\there", "new\nline", "\x1b[0m"};
}

void TestChildProcess::passesArgumentBytesUnchanged()
{
    QFETCH(QList<QByteArray>, arguments);

    QByteArray expected;
    for (const QByteArray &argument : arguments)
        expected += '[' + argument + ']';
    const ProcessResult result = runProcess(kPrintf, QList<QByteArray>{"[%s]"} + arguments);
    QVERIFY(result.succeeded());
    QCOMPARE(result.standardOutput, expected);
}

void TestChildProcess::connectsStandardStreams()
{
    // Reading standard input must end at once instead of waiting on the terminal or the test runner.
    const ProcessResult cat = runProcess("/usr/bin/cat", {}, 10000);
    QVERIFY(cat.succeeded());
    QVERIFY(cat.standardOutput.isEmpty());

    const ProcessResult links =
        runProcess("/usr/bin/readlink", {"/proc/self/fd/0", "/proc/self/fd/1", "/proc/self/fd/2"});
    QVERIFY(links.succeeded());
    const QList<QByteArray> targets = links.standardOutput.split('\n');
    QCOMPARE(targets.size(), 4);
    QCOMPARE(targets[0], QByteArray("/dev/null"));
    QVERIFY(targets[1].startsWith("pipe:"));
    QVERIFY(targets[2].startsWith("pipe:"));
    QVERIFY(targets[1] != targets[2]);
}

void TestChildProcess::childStartsWithDefaultSignals()
{
    // A blocked or ignored signal in the caller would otherwise carry over through exec.
    sigset_t blocked;
    sigset_t previousMask;
    ::sigemptyset(&blocked);
    ::sigaddset(&blocked, SIGTERM);
    QCOMPARE(::pthread_sigmask(SIG_BLOCK, &blocked, &previousMask), 0);
    struct sigaction ignore = {};
    struct sigaction previousPipe = {};
    ignore.sa_handler = SIG_IGN;
    QCOMPARE(::sigaction(SIGPIPE, &ignore, &previousPipe), 0);

    const ProcessResult result = runProcess("/usr/bin/grep", {"-E", "^Sig(Blk|Ign)", "/proc/self/status"});

    ::sigaction(SIGPIPE, &previousPipe, nullptr);
    ::pthread_sigmask(SIG_SETMASK, &previousMask, nullptr);
    QVERIFY(result.succeeded());
    const QList<QByteArray> lines = result.standardOutput.trimmed().split('\n');
    QCOMPARE(lines.size(), 2);
    QCOMPARE(lines[0], QByteArray("SigBlk:\t0000000000000000"));
    // Only the classic signals 1-31 count: the C library's own thread signals above them are its business.
    QVERIFY(lines[1].startsWith("SigIgn:\t"));
    bool isHex = false;
    const qulonglong ignored = lines[1].mid(8).toULongLong(&isHex, 16);
    QVERIFY(isHex);
    QCOMPARE(ignored & 0x7fffffffULL, 0ULL);
}

void TestChildProcess::drainsLargeOutputOnBothPipes()
{
    // Standard error is written first and last, so a reader that only waits on standard output would
    // leave the child blocked on a full pipe.
    const ProcessResult result =
        runShell("seq 1 1000000 >&2; seq 1 1000000; seq 1 1000000 >&2; seq 1000001 1200000", 60000);
    QVERIFY(result.succeeded());
    const QByteArray expected = numberLines(1200000);
    QCOMPARE(result.standardOutput.size(), expected.size());
    QVERIFY(result.standardOutput == expected);
}

void TestChildProcess::timeoutStopsChild_data()
{
    QTest::addColumn<QByteArray>("program");
    QTest::addColumn<QList<QByteArray>>("arguments");
    QTest::addColumn<int>("timeoutMs");
    QTest::addColumn<bool>("finishes");

    QTest::newRow("sleeping child") << QByteArray("/usr/bin/sleep") << QList<QByteArray>{"30"} << 200
                                    << false;
    QTest::newRow("child that closed its pipes")
        << kSh << QList<QByteArray>{"-c", "exec >&- 2>&-; sleep 30"} << 300 << false;
    QTest::newRow("child writing without end")
        << QByteArray("/usr/bin/yes") << QList<QByteArray>{} << 300 << false;
    QTest::newRow("quick child") << kSh << QList<QByteArray>{"-c", "echo done"} << 10000 << true;
}

void TestChildProcess::timeoutStopsChild()
{
    QFETCH(QByteArray, program);
    QFETCH(QList<QByteArray>, arguments);
    QFETCH(int, timeoutMs);
    QFETCH(bool, finishes);

    QElapsedTimer clock;
    clock.start();
    const ProcessResult result = runProcess(program, arguments, timeoutMs);
    const qint64 elapsed = clock.elapsed();

    QVERIFY(result.started);
    QCOMPARE(result.exitedNormally, finishes);
    QCOMPARE(result.succeeded(), finishes);
    if (!finishes)
        QVERIFY2(elapsed >= timeoutMs - 5 && elapsed < 10000, QByteArray::number(elapsed).constData());
}

void TestChildProcess::timeoutDoesNotWaitForGrandchildren()
{
    // The background sleep keeps both pipes open after its parent is killed.
    QElapsedTimer clock;
    clock.start();
    const ProcessResult result = runShell("sleep 30 & echo $!; exec sleep 30", 500);
    const qint64 elapsed = clock.elapsed();

    bool isPid = false;
    const pid_t grandchild = result.standardOutput.trimmed().toInt(&isPid);
    if (isPid && grandchild > 0)
        ::kill(grandchild, SIGKILL);
    QVERIFY(result.started);
    QVERIFY(!result.exitedNormally);
    QVERIFY2(isPid, result.standardOutput.constData()); // what was read before the kill is kept
    QVERIFY2(elapsed < 10000, QByteArray::number(elapsed).constData());
}

void TestChildProcess::concurrentCallsKeepTheirOwnOutput()
{
    constexpr int threadCount = 8;
    constexpr int runsPerThread = 25;
    std::atomic<int> mismatches{0};
    std::atomic<int> failures{0};
    const QByteArray bulk = numberLines(100000);

    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([&, t] {
            for (int i = 0; i < runsPerThread; ++i) {
                const QByteArray tag = QByteArray::number(t) + '-' + QByteArray::number(i);
                // Every other thread mixes in runs with more output than a pipe holds.
                const bool large = t % 2 == 1 && i % 5 == 0;
                const ProcessResult result = large ? runShell("seq 1 100000; echo " + tag + " >&2", 60000)
                                                   : runProcess(kPrintf, {"<%s>", tag}, 60000);
                if (!result.succeeded())
                    ++failures;
                else if (result.standardOutput != (large ? bulk : '<' + tag + '>'))
                    ++mismatches;
            }
        });
    }
    for (std::thread &thread : threads)
        thread.join();
    QCOMPARE(failures.load(), 0);
    QCOMPARE(mismatches.load(), 0);
}

QTEST_GUILESS_MAIN(TestChildProcess)
#include "tst_childprocess.moc"
