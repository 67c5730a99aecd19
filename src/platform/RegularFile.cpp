// Regular files only: stat first, then open non-blocking and check the descriptor itself.
#include "platform/RegularFile.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vellumry {

using namespace Qt::StringLiterals;

namespace {

FileContent failure(int error, const QString &reason)
{
    FileContent result;
    result.error = error;
    result.reason = reason;
    return result;
}

} // namespace

QString fileErrorText(int error)
{
    switch (error) {
    case ENOENT:
        return u"no such file"_s;
    case EACCES:
    case EPERM:
        return u"permission denied"_s;
    case ENOTDIR:
        return u"not a folder"_s;
    case EISDIR:
        return u"a folder"_s;
    case EROFS:
        return u"read-only file system"_s;
    case ENOSPC:
        return u"no space left"_s;
    case ELOOP:
        return u"too many symbolic links"_s;
    case EFBIG:
        return u"too large"_s;
    default:
        return QString::fromLocal8Bit(std::strerror(error));
    }
}

bool isRegularFile(const QByteArray &path, QString *reason)
{
    struct stat st;
    QString why;
    if (path.isEmpty() || path.contains('\0'))
        why = fileErrorText(ENOENT);
    else if (::stat(path.constData(), &st) != 0)
        why = fileErrorText(errno);
    else if (!S_ISREG(st.st_mode))
        why = S_ISDIR(st.st_mode) ? fileErrorText(EISDIR) : u"not a regular file"_s;
    if (reason)
        *reason = why;
    return why.isEmpty();
}

FileContent readRegularFile(const QByteArray &path, qint64 maxSize)
{
    // The stat() first keeps a device's open() (which may have effects of its own) from ever happening.
    QString reason;
    if (!isRegularFile(path, &reason)) {
        struct stat st;
        return failure(::stat(path.constData(), &st) == 0 ? EINVAL : errno, reason);
    }
    const int fd = ::open(path.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return failure(errno, fileErrorText(errno));
    FileContent result;
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        result = failure(errno, fileErrorText(errno));
    } else if (!S_ISREG(st.st_mode)) {
        result = failure(EINVAL, u"not a regular file"_s); // swapped in after the first look
    } else if (st.st_size > maxSize) {
        result = failure(EFBIG, fileErrorText(EFBIG));
    } else {
        result.ok = true;
        char buffer[65536];
        for (;;) {
            const ssize_t got = ::read(fd, buffer, sizeof buffer);
            if (got == 0)
                break;
            if (got < 0) {
                if (errno == EINTR)
                    continue;
                result = failure(errno, fileErrorText(errno));
                break;
            }
            if (result.content.size() + got > maxSize) {
                result = failure(EFBIG, fileErrorText(EFBIG));
                break;
            }
            result.content.append(buffer, got);
        }
    }
    ::close(fd);
    return result;
}

int replaceFileAtomically(const QByteArray &target, const QByteArray &content, unsigned mode, const struct stat *before)
{
    const qsizetype slash = target.lastIndexOf('/');
    const QByteArray folder = slash > 0 ? target.left(slash) : QByteArray("/");
    QByteArray temporary = folder + "/." + target.mid(slash + 1) + ".XXXXXX";
    const int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return errno;
    int error = 0;
    for (qsizetype done = 0; done < content.size() && !error;) {
        const ssize_t wrote = ::write(fd, content.constData() + done, size_t(content.size() - done));
        if (wrote < 0 && errno != EINTR)
            error = errno;
        else if (wrote > 0)
            done += wrote;
    }
    if (!error && ::fchmod(fd, mode_t(mode)) != 0)
        error = errno;
    // Only root can give a file away; for anyone else the owner already is the user.
    if (!error && before && (before->st_uid != ::geteuid() || before->st_gid != ::getegid()))
        (void)::fchown(fd, before->st_uid, before->st_gid);
    if (!error && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && !error)
        error = errno;
    if (!error && before) {
        struct stat now;
        if (::stat(target.constData(), &now) != 0 || now.st_ino != before->st_ino || now.st_size != before->st_size ||
            now.st_mtim.tv_sec != before->st_mtim.tv_sec || now.st_mtim.tv_nsec != before->st_mtim.tv_nsec)
            error = ESTALE;
    }
    if (!error && ::rename(temporary.constData(), target.constData()) != 0)
        error = errno;
    if (error) {
        ::unlink(temporary.constData());
        return error;
    }
    if (const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return 0;
}

} // namespace vellumry
