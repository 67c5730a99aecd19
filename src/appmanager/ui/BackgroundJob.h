// A piece of work on a thread of its own that hands results to the main thread and waits for them.
#pragma once

#include <QObject>
#include <QPointer>

#include <atomic>
#include <functional>
#include <memory>
#include <thread>

namespace vellumry {

// One job at a time. The job's thread touches views only through performOnMainThreadAndWait(), which
// runs a function on the thread of the context object and waits until it has run. Destroying the
// job (or starting the next) stops the running one: its waits end at once and it is joined, so no
// job ever outlives the data it writes.
class BackgroundJob
{
public:
    explicit BackgroundJob(QObject *mainContext);
    ~BackgroundJob();
    BackgroundJob(const BackgroundJob &) = delete;
    BackgroundJob &operator=(const BackgroundJob &) = delete;

    // Starts `work` on a new thread, after stopping and joining the job before it. `finished` runs on
    // the main thread once `work` returned, unless the job was stopped.
    void start(std::function<void(BackgroundJob &)> work, std::function<void()> finished = {});
    bool isRunning() const { return m_state && m_state->running.load(); }
    // Stops the running job and waits for its thread to end (a few tens of milliseconds at most, plus
    // whatever child process it is waiting for).
    void stop();

    // For the job's own thread. Runs fn on the main thread and waits; false (fn not run) when the job
    // was stopped first. On the main thread itself, runs fn at once.
    bool performOnMainThreadAndWait(const std::function<void()> &fn);
    // True once the job was asked to stop: long work checks it between steps.
    const std::atomic<bool> &cancelled() const { return m_state->cancelled; }

private:
    struct State
    {
        std::atomic<bool> cancelled{false};
        std::atomic<bool> running{false};
    };
    QPointer<QObject> m_context;
    std::shared_ptr<State> m_state;
    std::thread m_thread;
};

} // namespace vellumry
