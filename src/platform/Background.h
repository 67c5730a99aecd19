// The one way work leaves the GUI thread (the folder scan aside, which has its own worker): a task runs
// on the program's background pool and its result comes back to a context object's thread.
#pragma once

#include <QAbstractEventDispatcher>
#include <QObject>
#include <QPointer>
#include <QThreadPool>

#include <atomic>
#include <memory>
#include <type_traits>
#include <utility>

namespace vellumry {

// The background pool: threads named "vellumry-background", one per core at most.
QThreadPool *backgroundPool();

// Asks a running task to stop early. The task looks at it between two pieces of its work.
class Cancellation
{
public:
    Cancellation() : m_flag(std::make_shared<std::atomic<bool>>(false)) {}
    void cancel() const { m_flag->store(true); }
    bool isCancelled() const { return m_flag->load(); }
    const std::atomic<bool> *flag() const { return m_flag.get(); }

private:
    std::shared_ptr<std::atomic<bool>> m_flag;
};

// Runs `work(cancellation)` on the background pool, then `done(result)` (or `done()` for work that returns
// nothing) on the thread of `context`, as an event of its loop. Ownership and lifetime:
// - `work` runs on another thread: it may use only what it captured by value (build local lists and return
//   them; never touch `context` or any list of the main thread).
// - When `context` is destroyed before the work ends, `done` is never called and the result is dropped;
//   the work itself runs to its end (or to its next look at the cancellation, which the caller may set from
//   the context's destructor).
// - A cancelled task still hands its result to `done`: what it did before it stopped.
// Returns the task's cancellation.
template <typename Work, typename Done>
Cancellation runInBackground(QObject *context, Work work, Done done)
{
    Cancellation cancellation;
    // The result goes back as an event to the dispatcher of the context's thread, which calls `done` only
    // if the context still lives (checked there, where the context is destroyed). A continuation attached
    // to the task's future could be lost when the task ended while it was being attached.
    QObject *receiver = QAbstractEventDispatcher::instance(context->thread());
    backgroundPool()->start([work = std::move(work), done = std::move(done), cancellation, receiver,
                             guard = QPointer<QObject>(context)]() mutable {
        if constexpr (std::is_void_v<decltype(work(cancellation))>) {
            work(cancellation);
            QMetaObject::invokeMethod(receiver, [done = std::move(done), guard]() mutable {
                if (guard)
                    done();
            }, Qt::QueuedConnection);
        } else {
            QMetaObject::invokeMethod(receiver, [done = std::move(done), guard, result = work(cancellation)]() mutable {
                if (guard)
                    done(std::move(result));
            }, Qt::QueuedConnection);
        }
    });
    return cancellation;
}

} // namespace vellumry
