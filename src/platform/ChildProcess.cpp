// Child processes through posix_spawn, with both output pipes drained by poll().
#include "platform/ChildProcess.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

extern char **environ;

namespace vellumry {
namespace {

using Clock = std::chrono::steady_clock;

// Owns one file descriptor and closes it once.
class Fd
{
public:
    Fd() = default;
    ~Fd() { reset(); }
    Fd(const Fd &) = delete;
    Fd &operator=(const Fd &) = delete;

    int get() const { return m_fd; }
    void reset(int fd = -1)
    {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd = -1;
};

struct Pipe
{
    Fd readEnd;
    Fd writeEnd;
};

// Opens a pipe with both ends close-on-exec, so a child spawned at the same moment by another thread
// never inherits them. Both ends are numbered above 2: dup2() onto the child's standard streams must
// make a fresh, inheritable copy, which it does not when source and target are the same number. The
// read end is non-blocking so that a spurious wake-up from poll() can never stall the drain loop.
bool openPipe(Pipe &pipe)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return false;
    pipe.readEnd.reset(fds[0]);
    pipe.writeEnd.reset(fds[1]);
    for (Fd *end : {&pipe.readEnd, &pipe.writeEnd}) {
        if (end->get() > STDERR_FILENO)
            continue;
        const int moved = ::fcntl(end->get(), F_DUPFD_CLOEXEC, STDERR_FILENO + 1);
        if (moved < 0)
            return false;
        end->reset(moved);
    }
    const int flags = ::fcntl(pipe.readEnd.get(), F_GETFL);
    return flags >= 0 && ::fcntl(pipe.readEnd.get(), F_SETFL, flags | O_NONBLOCK) == 0;
}

// The posix_spawn attribute objects, released on every return path.
class SpawnSetup
{
public:
    SpawnSetup()
    {
        m_actionsReady = ::posix_spawn_file_actions_init(&m_actions) == 0;
        m_attrReady = ::posix_spawnattr_init(&m_attr) == 0;
    }
    ~SpawnSetup()
    {
        if (m_actionsReady)
            ::posix_spawn_file_actions_destroy(&m_actions);
        if (m_attrReady)
            ::posix_spawnattr_destroy(&m_attr);
    }
    SpawnSetup(const SpawnSetup &) = delete;
    SpawnSetup &operator=(const SpawnSetup &) = delete;

    // Standard input from /dev/null, standard output and error onto the given pipe ends; the child
    // gets an empty signal mask and default signal actions (an ignored SIGPIPE would otherwise carry
    // over through exec).
    bool prepare(int stdoutFd, int stderrFd)
    {
        if (!m_actionsReady || !m_attrReady)
            return false;
        sigset_t none;
        sigset_t all;
        ::sigemptyset(&none);
        ::sigfillset(&all);
        return ::posix_spawn_file_actions_addopen(&m_actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0) == 0 &&
               ::posix_spawn_file_actions_adddup2(&m_actions, stdoutFd, STDOUT_FILENO) == 0 &&
               ::posix_spawn_file_actions_adddup2(&m_actions, stderrFd, STDERR_FILENO) == 0 &&
               ::posix_spawnattr_setsigmask(&m_attr, &none) == 0 &&
               ::posix_spawnattr_setsigdefault(&m_attr, &all) == 0 &&
               ::posix_spawnattr_setflags(&m_attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF) == 0;
    }

    const posix_spawn_file_actions_t *actions() const { return &m_actions; }
    const posix_spawnattr_t *attributes() const { return &m_attr; }

private:
    posix_spawn_file_actions_t m_actions;
    posix_spawnattr_t m_attr;
    bool m_actionsReady = false;
    bool m_attrReady = false;
};

// Milliseconds until the deadline for poll(), rounded up so the loop does not spin just before it;
// 0 once it has passed, -1 (wait forever) without a deadline.
int pollTimeout(const std::optional<Clock::time_point> &deadline)
{
    if (!deadline)
        return -1;
    const auto left = *deadline - Clock::now();
    if (left <= Clock::duration::zero())
        return 0;
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(left).count();
    return static_cast<int>(std::min<decltype(ms)>(ms, INT_MAX));
}

bool expired(const std::optional<Clock::time_point> &deadline)
{
    return deadline && Clock::now() >= *deadline;
}

// Reads both pipes until each reports end-of-file. Returns false when the deadline passed first or
// poll() failed for good; the pipes may then still be open.
bool drain(Fd &stdoutPipe, Fd &stderrPipe, QByteArray &output,
           const std::optional<Clock::time_point> &deadline)
{
    Fd *const pipes[2] = {&stdoutPipe, &stderrPipe};
    char buffer[64 * 1024];
    while (stdoutPipe.get() >= 0 || stderrPipe.get() >= 0) {
        if (expired(deadline))
            return false;
        pollfd fds[2];
        for (int i = 0; i < 2; ++i)
            fds[i] = pollfd{pipes[i]->get(), POLLIN, 0}; // poll() skips a negative descriptor
        const int ready = ::poll(fds, 2, pollTimeout(deadline));
        if (ready < 0 && errno != EINTR)
            return false;
        if (ready <= 0)
            continue;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || fds[i].revents == 0)
                continue;
            const ssize_t n = ::read(fds[i].fd, buffer, sizeof buffer);
            if (n > 0) {
                if (i == 0)
                    output.append(buffer, n);
                continue;
            }
            if (n < 0 && (errno == EINTR || errno == EAGAIN))
                continue;
            // End-of-file, or a read error that will not go away: either way this pipe is done.
            pipes[i]->reset();
        }
    }
    return true;
}

// waitpid() that retries after a signal interrupts it.
bool reap(pid_t pid, int &status)
{
    pid_t r;
    do {
        r = ::waitpid(pid, &status, 0);
    } while (r < 0 && errno == EINTR);
    return r == pid;
}

// True once the child has exited and can be reaped without blocking, false when the deadline comes
// first. A pidfd lets poll() sleep until then; kernels without pidfd_open() get a short-interval check.
bool waitForExit(pid_t pid, const Clock::time_point &deadline)
{
    // Called through syscall(): the glibc 2.36 header declares pidfd_open() without C linkage.
    Fd pidfd;
    pidfd.reset(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));
    if (pidfd.get() >= 0) {
        while (true) {
            pollfd fd{pidfd.get(), POLLIN, 0};
            const int ready = ::poll(&fd, 1, pollTimeout(deadline));
            if (ready > 0)
                return true;
            if (ready == 0 || errno != EINTR)
                return false;
        }
    }
    while (true) {
        siginfo_t info{};
        if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0 &&
            info.si_pid == pid)
            return true;
        if (Clock::now() >= deadline)
            return false;
        const timespec pause{0, 2'000'000};
        ::nanosleep(&pause, nullptr);
    }
}

bool holdsNul(const QByteArray &bytes)
{
    return bytes.contains('\0');
}

} // namespace

ProcessResult runProcess(const QByteArray &program, const QList<QByteArray> &arguments, int timeoutMs, int niceness)
{
    ProcessResult result;
    if (!program.startsWith('/') || holdsNul(program) ||
        std::any_of(arguments.begin(), arguments.end(), holdsNul))
        return result;

    std::optional<Clock::time_point> deadline;
    if (timeoutMs >= 0)
        deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);

    Pipe out;
    Pipe err;
    if (!openPipe(out) || !openPipe(err))
        return result;
    SpawnSetup setup;
    if (!setup.prepare(out.writeEnd.get(), err.writeEnd.get()))
        return result;

    // posix_spawn() takes non-const pointers for historical reasons but never writes through them.
    std::vector<char *> argv;
    argv.reserve(static_cast<size_t>(arguments.size()) + 2);
    argv.push_back(const_cast<char *>(program.constData()));
    for (const QByteArray &argument : arguments)
        argv.push_back(const_cast<char *>(argument.constData()));
    argv.push_back(nullptr);

    pid_t pid = -1;
    if (::posix_spawn(&pid, program.constData(), setup.actions(), setup.attributes(), argv.data(), environ) !=
        0)
        return result;
    result.started = true;
    if (niceness > 0) // set at once: the child has hardly begun its work
        ::setpriority(PRIO_PROCESS, id_t(pid), niceness);

    // Only the child may hold the write ends now, so end-of-file arrives when it (and anything it
    // passed them on to) is done writing.
    out.writeEnd.reset();
    err.writeEnd.reset();

    bool finished = drain(out.readEnd, err.readEnd, result.standardOutput, deadline);
    if (finished && deadline)
        finished = waitForExit(pid, *deadline);
    if (!finished)
        ::kill(pid, SIGKILL); // not reaped yet, so the pid cannot belong to anyone else
    out.readEnd.reset();
    err.readEnd.reset();

    int status = 0;
    if (reap(pid, status) && finished && WIFEXITED(status)) {
        result.exitedNormally = true;
        result.exitCode = WEXITSTATUS(status);
    }
    return result;
}

} // namespace vellumry
