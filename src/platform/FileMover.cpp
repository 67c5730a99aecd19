// Moves that never overwrite: renameat2 on one file system, copy-then-remove across file systems.
#include "platform/FileMover.h"

#include "platform/NativePath.h"

#include <QRandomGenerator>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vellumry {
namespace {

QString reasonFor(int error)
{
    switch (error) {
    case EEXIST:
    case ENOTEMPTY:
        return QStringLiteral("name taken");
    case ENOENT:
        return QStringLiteral("no such file");
    case EACCES:
    case EPERM:
        return QStringLiteral("permission denied");
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("no space left on the device");
    case EROFS:
        return QStringLiteral("read-only file system");
    case EINVAL:
        return QStringLiteral("cannot move a folder into itself");

    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

MoveResult failure(int error) { return {false, error, reasonFor(error)}; }

// The failure of renameNoReplace(), whose ENOTSUP is its refusal.
MoveResult renameFailure(int error)
{
    if (error == ENOTSUP)
        return {false, error, QStringLiteral("this file system cannot move it without the risk of replacing an entry")};
    return failure(error);
}

std::atomic<bool> noReplaceUnsupported{false};

// Renames without ever replacing: 0, or the errno. Where renameat2 cannot refuse to replace (EINVAL, and
// `from` not an ancestor of `to`), a file or link goes by link() then unlink(): link() fails with EEXIST
// on a taken name in one step, so there is no gap between the check and the move. A folder cannot be
// hard-linked, and a plain rename() would replace an empty folder at `to`: it is refused (ENOTSUP), as is
// a file where the file system has no hard links.
int renameNoReplace(const QByteArray &from, const QByteArray &to)
{
    if (!noReplaceUnsupported.load(std::memory_order_relaxed) &&
        ::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (!noReplaceUnsupported.load(std::memory_order_relaxed) && errno != EINVAL)
        return errno;
    struct stat st;
    if (::lstat(from.constData(), &st) != 0)
        return errno;
    if (S_ISDIR(st.st_mode))
        return to.startsWith(QByteArray(from + '/')) ? EINVAL : ENOTSUP;
    if (::link(from.constData(), to.constData()) != 0)
        return errno == EPERM || errno == EOPNOTSUPP || errno == EMLINK ? ENOTSUP : errno;
    if (::unlink(from.constData()) != 0) {
        const int error = errno;
        ::unlink(to.constData()); // the same file under its second name: nothing of it is lost
        return error;
    }
    return 0;
}

// Removes a file, link or whole folder; answers 0 when everything went, else the first errno met.
int removeTree(const QByteArray &path)
{
    struct stat st;
    if (::lstat(path.constData(), &st) != 0)
        return errno == ENOENT ? 0 : errno;
    if (!S_ISDIR(st.st_mode))
        return ::unlink(path.constData()) == 0 ? 0 : errno;
    int first = 0;
    if (DIR *dir = ::opendir(path.constData())) {
        while (const dirent *entry = ::readdir(dir)) {
            if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
                continue;
            if (const int error = removeTree(path + '/' + entry->d_name); error != 0 && first == 0)
                first = error;
        }
        ::closedir(dir);
    } else {
        first = errno;
    }
    if (::rmdir(path.constData()) != 0 && first == 0)
        first = errno;
    return first;
}

int copyFileData(int in, int out)
{
    for (;;) {
        const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, 1 << 30, 0);
        if (n == 0)
            return 0;
        if (n > 0)
            continue;
        if (errno == EINTR)
            continue;
        if (errno != EXDEV && errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP)
            return errno;
        break; // this pair of file systems cannot copy in the kernel: read and write
    }
    char buffer[1 << 16];
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
        if (n == 0)
            return 0;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        for (ssize_t done = 0; done < n;) {
            const ssize_t w = ::write(out, buffer + done, size_t(n - done));
            if (w < 0) {
                if (errno == EINTR)
                    continue;
                return errno;
            }
            done += w;
        }
    }
}

// Copies `from` to the new path `to` (which must not exist); answers 0 or the errno that stopped it.
// What it made is left for the caller to remove.
int copyTree(const QByteArray &from, const QByteArray &to)
{
    struct stat st;
    if (::lstat(from.constData(), &st) != 0)
        return errno;
    const struct timespec times[2] = {st.st_atim, st.st_mtim};
    if (S_ISLNK(st.st_mode)) {
        QByteArray target(st.st_size > 0 ? st.st_size + 1 : 4096, '\0');
        const ssize_t n = ::readlink(from.constData(), target.data(), size_t(target.size()));
        if (n < 0)
            return errno;
        target.truncate(n);
        if (::symlink(target.constData(), to.constData()) != 0)
            return errno;
        ::utimensat(AT_FDCWD, to.constData(), times, AT_SYMLINK_NOFOLLOW);
        return 0;
    }
    if (S_ISDIR(st.st_mode)) {
        if (::mkdir(to.constData(), 0700) != 0)
            return errno;
        DIR *dir = ::opendir(from.constData());
        if (!dir)
            return errno;
        int error = 0;
        while (const dirent *entry = ::readdir(dir)) {
            if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0)
                continue;
            if ((error = copyTree(from + '/' + entry->d_name, to + '/' + entry->d_name)) != 0)
                break;
        }
        ::closedir(dir);
        if (error)
            return error;
        ::chmod(to.constData(), st.st_mode & 07777);
        ::utimensat(AT_FDCWD, to.constData(), times, 0); // after the contents, which touch the folder
        return 0;
    }
    if (!S_ISREG(st.st_mode))
        return ENOTSUP; // devices, pipes and sockets are not copied
    const int in = ::open(from.constData(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return errno;
    const int out = ::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (out < 0) {
        const int error = errno;
        ::close(in);
        return error;
    }
    int error = copyFileData(in, out);
    if (!error && ::fchmod(out, st.st_mode & 07777) != 0)
        error = errno;
    if (!error && ::futimens(out, times) != 0)
        error = errno;
    if (!error && ::fsync(out) != 0) // the data is on disk before the source can go
        error = errno;
    ::close(in);
    if (::close(out) != 0 && !error)
        error = errno;
    return error;
}

} // namespace

MoveResult moveItemAtPath(const QByteArray &from, const QByteArray &to,
                          const std::function<void(const QByteArray &temporary)> &beforeCopy)
{
    if (from.isEmpty() || to.isEmpty())
        return failure(ENOENT);
    const int error = renameNoReplace(from, to);
    if (error == 0)
        return {true, 0, {}};
    if (error != EXDEV)
        return renameFailure(error);

    // Across file systems: copy beside the target under a name of our own, then rename into place.
    struct stat st;
    if (::lstat(from.constData(), &st) != 0)
        return failure(errno);
    if (::lstat(to.constData(), &st) == 0)
        return failure(EEXIST);
    const QByteArray folder = removingLastPathComponent(to);
    const QByteArray temporary = (folder.isEmpty() ? QByteArray(".") : folder) + '/' + kPartialCopyPrefix +
                                 QByteArray::number(QRandomGenerator::global()->generate64(), 36);
    if (beforeCopy)
        beforeCopy(temporary);
    if (const int copyError = copyTree(from, temporary); copyError != 0) {
        removeTree(temporary);
        return failure(copyError);
    }
    if (const int renameError = renameNoReplace(temporary, to); renameError != 0) {
        removeTree(temporary);
        return renameFailure(renameError);
    }
    if (const int removeError = removeTree(from); removeError != 0) // the copy is complete: both are there
        return {false, removeError, QStringLiteral("copied, the original stays: ") + reasonFor(removeError), true};
    return {true, 0, {}};
}

bool removeAbandonedCopy(const QByteArray &temporary)
{
    const QByteArray name = temporary.mid(temporary.lastIndexOf('/') + 1);
    if (!temporary.startsWith('/') || !name.startsWith(kPartialCopyPrefix))
        return false;
    return removeTree(temporary) == 0;
}

void simulateNoReplaceRenameUnsupported(bool unsupported)
{
    noReplaceUnsupported.store(unsupported);
}

int removeEmptyFolder(const QByteArray &path)
{
    return ::rmdir(path.constData()) == 0 ? 0 : errno;
}

int removeTrashRecord(const QByteArray &infoPath)
{
    if (!infoPath.endsWith(".trashinfo") || !infoPath.contains("/info/"))
        return EINVAL;
    return ::unlink(infoPath.constData()) == 0 ? 0 : errno;
}

} // namespace vellumry
