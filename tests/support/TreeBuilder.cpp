// Creates and checksums real file trees with POSIX calls, so any byte can appear in a name.
#include "support/TreeBuilder.h"

#include "platform/NativePath.h"

#include <QCryptographicHash>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vellumry::test {
namespace {

[[noreturn]] void fail(const char *what, QByteArrayView path)
{
    const int error = errno;
    std::string shown;
    appendEscapedName(shown, std::string_view(path.data(), static_cast<size_t>(path.size())));
    qFatal("TreeBuilder: %s %s: %s", what, shown.c_str(), std::strerror(error));
}

// Closes a descriptor when the scope ends.
class FdCloser
{
public:
    explicit FdCloser(int fd) : m_fd(fd) {}
    ~FdCloser() { ::close(m_fd); }
    FdCloser(const FdCloser &) = delete;
    FdCloser &operator=(const FdCloser &) = delete;

private:
    int m_fd;
};

// mkdir -p: every missing component of `full` is created; existing folders are fine.
void makeFolders(const QByteArray &full)
{
    for (qsizetype end = full.indexOf('/', 1);; end = full.indexOf('/', end + 1)) {
        const QByteArray prefix = end < 0 ? full : full.left(end);
        if (!prefix.isEmpty() && ::mkdir(prefix.constData(), 0755) != 0) {
            struct stat st;
            if (errno != EEXIST || ::stat(prefix.constData(), &st) != 0 || !S_ISDIR(st.st_mode))
                fail("cannot create folder", prefix);
        }
        if (end < 0)
            return;
    }
}

// FNV-1a of the relative path seeds a splitmix64 stream: cheap, deterministic and different per path.
class ContentStream
{
public:
    explicit ContentStream(QByteArrayView seedBytes)
    {
        for (char c : seedBytes) {
            m_state ^= static_cast<unsigned char>(c);
            m_state *= 0x100000001b3ULL;
        }
    }

    void fill(unsigned char *out, size_t n)
    {
        for (size_t i = 0; i < n; i += 8) {
            quint64 z = (m_state += 0x9e3779b97f4a7c15ULL);
            z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
            z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
            z ^= z >> 31;
            for (size_t k = 0; k < 8 && i + k < n; ++k)
                out[i + k] = static_cast<unsigned char>(z >> (8 * k));
        }
    }

private:
    quint64 m_state = 0xcbf29ce484222325ULL;
};

void writeAll(int fd, const unsigned char *data, size_t n, const QByteArray &full)
{
    while (n > 0) {
        const ssize_t written = ::write(fd, data, n);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            fail("cannot write", full);
        data += written;
        n -= static_cast<size_t>(written);
    }
}

QByteArray hashDescriptor(int fd, QByteArrayView shown)
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    std::vector<char> buffer(1 << 20);
    while (true) {
        const ssize_t n = ::read(fd, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            fail("cannot read", shown);
        if (n == 0)
            return hash.result().toHex();
        hash.addData(QByteArrayView(buffer.data(), n));
    }
}

// Records every entry of the open folder `folderFd` (which this call closes) under `prefix`.
void snapshotFolder(int folderFd, const QByteArray &prefix, const QByteArray &shownFolder,
                    TreeBuilder::Snapshot &out)
{
    DIR *folder = ::fdopendir(folderFd);
    if (!folder) {
        const int error = errno;
        ::close(folderFd);
        errno = error;
        fail("cannot list", shownFolder);
    }
    while (true) {
        errno = 0;
        const dirent *item = ::readdir(folder);
        if (!item) {
            if (errno != 0)
                fail("cannot list", shownFolder);
            break;
        }
        const QByteArray name(item->d_name);
        if (name == "." || name == "..")
            continue;
        const QByteArray rel = prefix.isEmpty() ? name : prefix + '/' + name;
        const QByteArray shown = shownFolder + '/' + name;
        struct stat st;
        if (::fstatat(::dirfd(folder), name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            fail("cannot stat", shown);

        TreeBuilder::Entry entry;
        if (S_ISREG(st.st_mode)) {
            entry.type = 'f';
            entry.size = st.st_size;
            const int fd = ::openat(::dirfd(folder), name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
            if (fd < 0)
                fail("cannot open", shown);
            FdCloser closer(fd);
            entry.sha256 = hashDescriptor(fd, shown);
        } else if (S_ISLNK(st.st_mode)) {
            entry.type = 'l';
            QByteArray target(st.st_size + 1, '\0');
            const ssize_t n = ::readlinkat(::dirfd(folder), name.constData(), target.data(), target.size());
            if (n < 0 || n >= target.size()) // changed while we looked: not a state a fixture should be in
                fail("cannot read link", shown);
            target.truncate(n);
            entry.size = n;
            entry.linkTarget = target;
        } else if (S_ISDIR(st.st_mode)) {
            entry.type = 'd';
            const int fd =
                ::openat(::dirfd(folder), name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
            if (fd < 0)
                fail("cannot open folder", shown);
            snapshotFolder(fd, rel, shown, out);
        }
        out.insert(rel, entry);
    }
    ::closedir(folder);
}

} // namespace

TreeBuilder::TreeBuilder(QByteArray root) : m_root(std::move(root))
{
    while (m_root.size() > 1 && m_root.endsWith('/'))
        m_root.chop(1);
    if (m_root.isEmpty())
        qFatal("TreeBuilder: empty root");
    makeFolders(m_root);
}

QByteArray TreeBuilder::path(QByteArrayView rel) const
{
    if (rel.isEmpty())
        return m_root;
    return joinNativePath(m_root, rel);
}

void TreeBuilder::makeParents(QByteArrayView rel) const
{
    const qsizetype slash = rel.lastIndexOf('/');
    if (slash > 0)
        makeFolders(path(rel.first(slash)));
}

QByteArray TreeBuilder::file(QByteArrayView rel, qint64 size, std::optional<qint64> mtimeSecs)
{
    makeParents(rel);
    const QByteArray full = path(rel);
    const int fd = ::open(full.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        fail("cannot create file", full);
    FdCloser closer(fd);
    ContentStream content(rel);
    std::vector<unsigned char> buffer(static_cast<size_t>(qMin<qint64>(size, 1 << 20)));
    for (qint64 left = size; left > 0;) {
        const size_t n = static_cast<size_t>(qMin<qint64>(left, static_cast<qint64>(buffer.size())));
        content.fill(buffer.data(), n);
        writeAll(fd, buffer.data(), n, full);
        left -= static_cast<qint64>(n);
    }
    const timespec time{static_cast<time_t>(mtimeSecs.value_or(0)), 0};
    const timespec times[2] = {time, time};
    if (mtimeSecs && ::utimensat(AT_FDCWD, full.constData(), times, 0) != 0)
        fail("cannot set times of", full);
    return full;
}

QByteArray TreeBuilder::dir(QByteArrayView rel)
{
    const QByteArray full = path(rel);
    makeFolders(full);
    return full;
}

QByteArray TreeBuilder::symlink(QByteArrayView rel, QByteArrayView target)
{
    makeParents(rel);
    const QByteArray full = path(rel);
    if (::symlink(target.toByteArray().constData(), full.constData()) != 0)
        fail("cannot create link", full);
    return full;
}

void TreeBuilder::chmod(QByteArrayView rel, mode_t mode)
{
    const QByteArray full = path(rel);
    if (::chmod(full.constData(), mode) != 0)
        fail("cannot chmod", full);
}

TreeBuilder::Snapshot TreeBuilder::snapshot() const
{
    const int fd = ::open(m_root.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        fail("cannot open folder", m_root);
    Snapshot result;
    snapshotFolder(fd, QByteArray(), m_root, result);
    return result;
}

QList<QByteArray> TreeBuilder::fileChecksums(const Snapshot &snapshot)
{
    QList<QByteArray> sums;
    for (const Entry &entry : snapshot) {
        if (entry.type == 'f')
            sums.append(entry.sha256);
    }
    std::sort(sums.begin(), sums.end());
    return sums;
}

} // namespace vellumry::test
