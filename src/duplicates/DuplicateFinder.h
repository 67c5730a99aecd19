// Finds the sets of files with the same content among a scan's files.
#pragma once
#include <QByteArray>
#include <QtGlobal>
#include <atomic>
#include <cstddef>
#include <functional>
#include <vector>

namespace vellumry {

// One file to compare, as the scan listed it. `size` is the scan's figure: a file whose size on
// disk differs when it is read has changed since and is left out (counted in `changed`).
struct DuplicateCandidate
{
    QByteArray path; // exact path bytes
    quint64 size = 0;
};

// Files with one content. `members` index the candidates given to findDuplicates, ordered by
// path; two paths that are hard links to one file count as one member (the first path by order).
struct DuplicateGroup
{
    quint64 size = 0;
    std::vector<std::size_t> members;

    // The space the copies take beyond one: size times (members - 1).
    quint64 wastedBytes() const { return members.size() < 2 ? 0 : size * (members.size() - 1); }
};

struct DuplicateSearch
{
    bool includeEmpty = false; // zero-length files form a group of their own only when asked
    int threads = 0;           // readers at once; 0: as many as the machine has cores (at least two)
};

struct DuplicateProgress
{
    quint64 bytesHashed = 0;
    quint64 bytesToHash = 0; // grows as the stages narrow the candidates; never shrinks below bytesHashed
};

struct DuplicateResult
{
    // Ordered by wasted space, largest first, then by the first member's path.
    std::vector<DuplicateGroup> groups;
    int unreadable = 0; // could not be opened or read (permissions, gone, not a regular file)
    int changed = 0;    // size on disk no longer the scan's
    bool cancelled = false;
};

// Groups the candidates by size, then by a hash of the first and last 4 KiB, then by a hash of the
// whole content (XXH3-128); each stage reads a file at most once, in large sequential reads, on a
// pool of `threads` readers. Symbolic links are never followed: a candidate that is one counts as
// unreadable. `cancelled` is checked between files; `progress` is called from the readers (at most
// a few times a second) and must be thread-safe.
//
// Thread-safety: runs entirely on the calling thread and its own readers; call it off the GUI
// thread. Nothing on disk is changed.
DuplicateResult findDuplicates(const std::vector<DuplicateCandidate> &candidates, const DuplicateSearch &search,
                               const std::atomic_bool &cancelled,
                               const std::function<void(const DuplicateProgress &)> &progress = {});

} // namespace vellumry
