// Running helper programs to completion and collecting what they print.
#pragma once

#include <QByteArray>
#include <QList>

namespace vellumry {

struct ProcessResult
{
    bool started = false;        // false when the program could not be started at all
    bool exitedNormally = false; // false when killed by a signal or stopped because of the timeout
    int exitCode = -1;           // valid when exitedNormally
    QByteArray standardOutput;   // everything the child wrote (up to the kill, when it timed out)
    bool succeeded() const { return started && exitedNormally && exitCode == 0; }
};

// Runs `program` with `arguments` and waits for it to finish.
//
// `program` must be an absolute path: there is no shell and no PATH search. Arguments are passed as
// the exact bytes given, so file names need not be valid UTF-8; argv[0] is `program` itself. A program
// or argument holding a NUL byte cannot be passed to exec and gives started == false, as does a
// relative program path or a file that cannot be executed.
//
// Standard input is /dev/null. Standard output is captured; standard error goes to a second pipe that
// is read and thrown away, so a chatty child never blocks on a full pipe. Both pipes are drained until
// end-of-file before the child is reaped. The child starts with an empty signal mask and every signal
// at its default action, whatever the calling thread had.
//
// With timeoutMs >= 0 the whole run is limited to that many milliseconds: on expiry the child is
// killed with SIGKILL and reaped, and the result has exitedNormally == false. Grandchildren that still
// hold the pipes open are not waited for then. Without a timeout, such grandchildren keep the call
// waiting until they close the pipes too.
//
// With niceness > 0 the child runs at that lower priority (as `nice -n` would start it), for work in
// the background that must not slow the program down.
//
// Safe to call from several threads at once; needs no event loop. The process must not set SIGCHLD to
// SIG_IGN, which would let the kernel reap the child before its status can be read.
ProcessResult runProcess(const QByteArray &program, const QList<QByteArray> &arguments, int timeoutMs = -1,
                         int niceness = 0);

} // namespace vellumry
