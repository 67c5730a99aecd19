// Work handed to the background pool: its result comes back on the context's thread, and never to a
// context that is gone.
#include "platform/Background.h"

#include <QTest>
#include <QThread>

#include <memory>

using namespace vellumry;

class TestBackground : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void doneRunsOnTheContextThreadOnlyWhileItLives()
    {
        QObject context;
        int done = 0;
        for (int i = 0; i < 200; ++i) { // quick work: its end races with the hand-over being set up
            runInBackground(
                &context, [](const Cancellation &) { return QThread::currentThread(); },
                [&](QThread *worker) {
                    QVERIFY(worker != QThread::currentThread());
                    QCOMPARE(QThread::currentThread(), context.thread());
                    ++done;
                });
        }
        QTRY_COMPARE(done, 200);

        auto gone = std::make_unique<QObject>();
        bool reached = false;
        const Cancellation cancellation = runInBackground(
            gone.get(),
            [](const Cancellation &c) {
                while (!c.isCancelled())
                    QThread::msleep(1);
                return 1;
            },
            [&](int) { reached = true; });
        gone.reset();
        cancellation.cancel();
        backgroundPool()->waitForDone();
        QCoreApplication::processEvents();
        QVERIFY(!reached);
    }
};

QTEST_GUILESS_MAIN(TestBackground)
#include "tst_background.moc"
