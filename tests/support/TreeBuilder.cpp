// Creates and checksums real file trees with POSIX calls, so any byte can appear in a name.
#include "support/TreeBuilder.h"

#include "platform/NativePath.h"

#include <QCryptographicHash>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <utility>

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
    std::error_code error;
    std::filesystem::create_directories(full.toStdString(), error);
    errno = error.value();
    if (error)
        fail("cannot create folder", full);
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

QByteArray TreeBuilder::file(QByteArrayView rel, qint64 size, std::optional<qint64> mtimeSecs)
{
    const QByteArray full = path(rel), content = contentFor(rel, size);
    makeFolders(full.left(full.lastIndexOf('/')));
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
    const QByteArray full = path(rel);
    makeFolders(full.left(full.lastIndexOf('/')));
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
    namespace fs = std::filesystem;
    Snapshot result;
    std::error_code error;
    for (fs::recursive_directory_iterator it(m_root.toStdString(), error), end; !error && it != end;
         it.increment(error)) {
        const QByteArray full = QByteArray::fromStdString(it->path().native());
        const fs::file_status status = it->symlink_status(error);
        Entry entry;
        if (fs::is_regular_file(status)) {
            QFile file;
            QCryptographicHash hash(QCryptographicHash::Sha256);
            const int fd = ::open(full.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
            if (fd < 0 || !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle) || !hash.addData(&file))
                fail("cannot read", full);
            entry = {'f', file.size(), hash.result().toHex(), {}};
        } else if (fs::is_symlink(status)) {
            const QByteArray target = QByteArray::fromStdString(fs::read_symlink(it->path(), error).native());
            entry = {'l', target.size(), {}, target};
        } else if (fs::is_directory(status)) {
            entry.type = 'd';
        }
        if (error)
            break;
        result.insert(full.mid(m_root.size() + 1), entry);
    }
    errno = error.value();
    if (error)
        fail("cannot list", m_root);
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
