// Background jobs with waiting hand-backs to the main thread.
#include "appmanager/ui/BackgroundJob.h"

#include <QSemaphore>
#include <QThread>

namespace vellumry {

BackgroundJob::BackgroundJob(QObject *mainContext) : m_context(mainContext), m_state(std::make_shared<State>()) {}

BackgroundJob::~BackgroundJob()
{
    stop();
}

void BackgroundJob::stop()
{
    m_state->cancelled = true;
    if (m_thread.joinable())
        m_thread.join();
}

void BackgroundJob::start(std::function<void(BackgroundJob &)> work, std::function<void()> finished)
{
    stop();
    m_state = std::make_shared<State>();
    m_state->running = true;
    std::shared_ptr<State> state = m_state;
    QObject *context = m_context;
    m_thread = std::thread([this, state, context, work = std::move(work), finished = std::move(finished)] {
        work(*this);
        state->running = false;
        if (finished && context && !state->cancelled)
            QMetaObject::invokeMethod(
                context,
                [state, finished] {
                    if (!state->cancelled)
                        finished();
                },
                Qt::QueuedConnection);
    });
}

bool BackgroundJob::performOnMainThreadAndWait(const std::function<void()> &fn)
{
    const std::shared_ptr<State> state = m_state;
    if (state->cancelled)
        return false;
    QObject *context = m_context;
    if (!context)
        return false;
    if (QThread::currentThread() == context->thread()) {
        fn();
        return true;
    }
    struct Call
    {
        QSemaphore done;
        std::atomic<bool> ran{false};
    };
    auto call = std::make_shared<Call>();
    QMetaObject::invokeMethod(
        context,
        [call, state, fn] {
            if (!state->cancelled) {
                fn();
                call->ran = true;
            }
            call->done.release();
        },
        Qt::QueuedConnection);
    // Wait in short steps so that a stop (which the main thread makes while it cannot run the call) ends the wait.
    while (!call->done.tryAcquire(1, 25))
        if (state->cancelled)
            return false;
    return call->ran;
}

} // namespace vellumry
