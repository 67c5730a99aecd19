// Creates and checksums real file trees with POSIX calls, so any byte can appear in a name.
#include "support/TreeBuilder.h"

#include "platform/NativePath.h"

#include <QCryptographicHash>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

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

// mkdir -p: every missing component of `full` is created; existing folders are fine.
void makeFolders(const QByteArray &full)
{
    for (qsizetype end = full.indexOf('/', 1);; end = full.indexOf('/', end + 1)) {
        const QByteArray prefix = end < 0 ? full : full.left(end);
        struct stat st;
        if (!prefix.isEmpty() && ::mkdir(prefix.constData(), 0755) != 0 &&
            (errno != EEXIST || ::stat(prefix.constData(), &st) != 0 || !S_ISDIR(st.st_mode)))
            fail("cannot create folder", prefix);
        if (end < 0)
            return;
    }
}

// FNV-1a of the relative path seeds a splitmix64 stream: cheap, deterministic and different per path.
QByteArray contentFor(QByteArrayView seed, qint64 size)
{
    quint64 state = 0xcbf29ce484222325ULL;
    for (char c : seed)
        state = (state ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
    QByteArray out(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; i += 8) {
        quint64 z = (state += 0x9e3779b97f4a7c15ULL);
        z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
        z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
        z ^= z >> 31;
        for (qint64 k = 0; k < 8 && i + k < size; ++k)
            out[i + k] = static_cast<char>(z >> (8 * k));
    }
    return out;
}

// Records every entry of the open folder `folderFd` (which this call closes) under `prefix`; names are
// opened relative to their folder, so no path length limit applies.
void snapshotFolder(int folderFd, const QByteArray &prefix, const QByteArray &shownFolder,
                    TreeBuilder::Snapshot &out)
{
    DIR *folder = ::fdopendir(folderFd);
    if (!folder) {
        ::close(folderFd);
        fail("cannot list", shownFolder);
    }
    const int dirFd = ::dirfd(folder);
    for (errno = 0; const dirent *item = ::readdir(folder); errno = 0) {
        const QByteArray name(item->d_name);
        if (name == "." || name == "..")
            continue;
        const QByteArray rel = prefix.isEmpty() ? name : prefix + '/' + name;
        const QByteArray shown = shownFolder + '/' + name;
        struct stat st;
        if (::fstatat(dirFd, name.constData(), &st, AT_SYMLINK_NOFOLLOW) != 0)
            fail("cannot stat", shown);
        TreeBuilder::Entry entry;
        if (S_ISREG(st.st_mode)) {
            entry = {'f', st.st_size, {}, {}};
            QFile file;
            QCryptographicHash hash(QCryptographicHash::Sha256);
            const int fd = ::openat(dirFd, name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
            if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle) ||
                !hash.addData(&file))
                fail("cannot read", shown);
            entry.sha256 = hash.result().toHex();
        } else if (S_ISLNK(st.st_mode)) {
            QByteArray target(st.st_size + 1, '\0');
            const ssize_t n = ::readlinkat(dirFd, name.constData(), target.data(), target.size());
            if (n < 0 || n >= target.size()) // changed while we looked: not a state a fixture should be in
                fail("cannot read link", shown);
            entry = {'l', n, {}, target.left(n)};
        } else if (S_ISDIR(st.st_mode)) {
            entry.type = 'd';
            const int fd = ::openat(dirFd, name.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW);
            if (fd < 0)
                fail("cannot open folder", shown);
            snapshotFolder(fd, rel, shown, out);
        }
        out.insert(rel, entry);
    }
    if (errno != 0)
        fail("cannot list", shownFolder);
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
    return rel.isEmpty() ? m_root : joinNativePath(m_root, rel);
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
    const QByteArray full = path(rel), content = contentFor(rel, size);
    QFile file;
    const int fd = ::open(full.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || !file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle) ||
        file.write(content) != content.size() || !file.flush())
        fail("cannot write", full);
    file.close();
    const timespec times[2] = {{static_cast<time_t>(mtimeSecs.value_or(0)), 0},
                               {static_cast<time_t>(mtimeSecs.value_or(0)), 0}};
    if (mtimeSecs && ::utimensat(AT_FDCWD, full.constData(), times, 0) != 0)
        fail("cannot set times of", full);
    return full;
}

QByteArray TreeBuilder::dir(QByteArrayView rel)
{
    makeFolders(path(rel));
    return path(rel);
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
    if (::chmod(path(rel).constData(), mode) != 0)
        fail("cannot chmod", path(rel));
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
