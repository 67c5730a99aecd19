// Carrying out plans of moves, with a journal and a summary.
#include "reorganise/BatchExecutor.h"

#include "platform/FileMover.h"
#include "platform/NativePath.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QSet>

#include <cerrno>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <ctime>
#include <climits>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vellumry {

using namespace Qt::StringLiterals;

QString MoveJournal::defaultFolder()
{
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty() || QDir::isRelativePath(data))
        data = QDir::homePath() + u"/.local/share"_s;
    return data + u"/Vellumry/journal"_s;
}

namespace {

const char *actionWord(MoveJournal::Action action)
{
    switch (action) {
    case MoveJournal::Action::Move:
        return "move";
    case MoveJournal::Action::Copy:
        return "copy";
    case MoveJournal::Action::Trash:
        return "trash";
    case MoveJournal::Action::MakeFolder:
        return "mkdir";
    case MoveJournal::Action::RemoveFolder:
        return "rmdir";
    case MoveJournal::Action::Restore:
        return "restore";
    }
    return "?";
}

// "2026-12-06T13:45:59.274Z": the time in UTC to the millisecond, the date part formatted once a second.
QByteArray timeStamp()
{
    struct timespec now;
    ::clock_gettime(CLOCK_REALTIME, &now);
    thread_local time_t formattedSecond = -1;
    thread_local char seconds[24] = {};
    if (now.tv_sec != formattedSecond) {
        struct tm utc;
        ::gmtime_r(&now.tv_sec, &utc);
        std::strftime(seconds, sizeof seconds, "%Y-%m-%dT%H:%M:%S", &utc);
        formattedSecond = now.tv_sec;
    }
    char text[32];
    const int n = std::snprintf(text, sizeof text, "%s.%03dZ", seconds, int(now.tv_nsec / 1000000));
    return QByteArray(text, n);
}

bool writeAll(int fd, const QByteArray &bytes)
{
    for (qsizetype done = 0; done < bytes.size();) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

// Whether the journal's last line closes it ("end" or "recovered"): read from its last bytes only.
bool hasEnded(int fd)
{
    struct stat st;
    if (::fstat(fd, &st) != 0 || st.st_size == 0)
        return false;
    char tail[32] = {};
    const off_t from = std::max<off_t>(0, st.st_size - off_t(sizeof tail));
    const ssize_t n = ::pread(fd, tail, sizeof tail, from);
    if (n <= 0)
        return false;
    const QByteArrayView last(tail, n);
    return last.endsWith("\tend\n") || last.endsWith("\trecovered\n");
}

} // namespace

MoveJournal::MoveJournal(const QString &folder, const QString &operation, const QString &undoes)
{
    if (!QDir().mkpath(folder)) {
        m_error = u"cannot make the folder %1"_s.arg(folder);
        return;
    }
    removeAbandonedCopies(folder);
    const QString stamp = QDateTime::currentDateTimeUtc().toString(u"yyyyMMdd-HHmmss-zzz"_s);
    int error = 0;
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        // Names sort in the order the batches began, also two begun in the same millisecond.
        m_path = folder + u'/' + stamp + u'-' + QString::number(attempt).rightJustified(2, u'0') + u'-' + operation +
                 u".log"_s;
        m_fd = ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
        error = errno;
        if (m_fd < 0 && error != EEXIST)
            break;
    }
    if (m_fd < 0) {
        m_error = u"cannot write in %1: %2"_s.arg(folder, QString::fromLocal8Bit(std::strerror(error)));
        m_path.clear();
        return;
    }
    ::flock(m_fd, LOCK_EX); // a running batch's journal: removeAbandonedCopies() in another program leaves it
    QByteArray version = timeStamp() + "\tversion\t2\t" + operation.toUtf8();
    if (!undoes.isEmpty())
        version += '\t' + undoes.toUtf8();
    if (!writeLine(version + '\n')) {
        m_error = u"cannot write in %1"_s.arg(m_path);
        ::close(m_fd);
        m_fd = -1;
    }
}

MoveJournal::~MoveJournal()
{
    if (m_fd < 0)
        return;
    writeLine(timeStamp() + "\tend\n");
    ::close(m_fd);
}

bool MoveJournal::writeLine(const QByteArray &line)
{
    return m_fd >= 0 && writeAll(m_fd, line);
}

bool MoveJournal::write(const char *state, Action action, const QByteArray &path, const QByteArray &target,
                        const QString &reason)
{
    QByteArray line = timeStamp() + '\t' + state + '\t' + actionWord(action) + '\t' +
                      absolutePath(path).toPercentEncoding("/");
    if (!target.isEmpty())
        line += '\t' + absolutePath(target).toPercentEncoding("/");
    if (!reason.isEmpty()) // a reason is one field: no tab or newline in it
        line += '\t' + reason.toUtf8().replace('\t', ' ').replace('\n', ' ');
    // One write per line: the line reaches the kernel before the step it announces starts.
    return writeLine(line + '\n');
}

bool MoveJournal::intend(Action action, const QByteArray &path, const QByteArray &target)
{
    return write("intent", action, path, target, {});
}

bool MoveJournal::done(Action action, const QByteArray &path, const QByteArray &target, const QByteArray &identity)
{
    return write("done", action, path, target, QString::fromLatin1(identity));
}

bool MoveJournal::failed(Action action, const QByteArray &path, const QByteArray &target, const QString &reason)
{
    return write("failed", action, path, target, reason);
}

bool MoveJournal::copied(const QByteArray &source, const QByteArray &target, const QString &reason)
{
    return write("copied", Action::Move, source, target, reason);
}

int MoveJournal::removeAbandonedCopies(const QString &folder)
{
    int removed = 0;
    const QStringList names = QDir(folder).entryList({u"*.log"_s}, QDir::Files | QDir::Hidden, QDir::Name);
    for (const QString &name : names) {
        const QByteArray path = QFile::encodeName(folder + u'/' + name);
        const int fd = ::open(path.constData(), O_RDWR | O_APPEND | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK);
        if (fd < 0)
            continue;
        struct stat st;
        // Only our own regular files, whose batch is over (a running batch holds the lock).
        if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || hasEnded(fd) || ::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            continue;
        }
        QFile file;
        QSet<QByteArray> temporaries;
        if (file.open(fd, QIODevice::ReadOnly, QFileDevice::DontCloseHandle)) {
            while (!file.atEnd()) {
                const QList<QByteArray> fields = file.readLine().chopped(1).split('\t');
                if (fields.size() >= 5 && fields.at(1) == "intent" && fields.at(2) == "copy")
                    temporaries.insert(QByteArray::fromPercentEncoding(fields.at(4)));
            }
            file.close();
        }
        for (const QByteArray &temporary : std::as_const(temporaries)) {
            struct stat there;
            if (::lstat(temporary.constData(), &there) == 0 && removeAbandonedCopy(temporary))
                ++removed;
        }
        writeAll(fd, timeStamp() + "\trecovered\n");
        ::close(fd);
    }
    return removed;
}

namespace {

// mkdir -p for a byte path: each missing folder is made in turn (and journaled); an existing folder is no
// error, an existing file in the way is. Never makes anything in the file-system root.
QString makeFolders(const QByteArray &folder, MoveJournal *journal)
{
    if (folder.isEmpty() || folder == "/")
        return u"nothing is created in the file-system root"_s;
    struct stat st;
    if (::stat(folder.constData(), &st) == 0)
        return S_ISDIR(st.st_mode) ? QString() : u"its folder's name is taken by a file"_s;
    const qsizetype slash = folder.lastIndexOf('/');
    if (slash > 0) {
        if (QString reason = makeFolders(folder.left(slash), journal); !reason.isEmpty())
            return reason;
    }
    if (journal && !journal->intend(MoveJournal::Action::MakeFolder, folder))
        return u"the journal cannot be written"_s;
    if (::mkdir(folder.constData(), 0777) != 0 && errno != EEXIST)
        return u"its folder cannot be made: %1"_s.arg(QString::fromLocal8Bit(std::strerror(errno)));
    if (journal)
        journal->done(MoveJournal::Action::MakeFolder, folder);
    return {};
}

} // namespace

// One step: its folder made, its intention journaled, the move, its outcome journaled.
StepOutcome carryOutStep(const PlanStep &step, MoveJournal *journal, MoveJournal::Action action)
{
    StepOutcome outcome{step, false, step.skipReason};
    if (step.skipped())
        return outcome;
    if (step.makeFolder) {
        const qsizetype slash = step.target.lastIndexOf('/');
        outcome.reason = makeFolders(slash > 0 ? step.target.left(slash) : QByteArray("/"), journal);
        if (!outcome.reason.isEmpty())
            return outcome;
    }
    using Action = MoveJournal::Action;
    if (journal && !journal->intend(action, step.source, step.target)) {
        outcome.reason = u"the journal cannot be written"_s;
        return outcome;
    }
    const MoveResult moved = moveItemAtPath(step.source, step.target, [&](const QByteArray &temporary) {
        if (journal)
            journal->intend(Action::Copy, step.source, temporary);
    });
    outcome.moved = moved.ok;
    outcome.copied = moved.copied;
    outcome.reason = moved.ok ? QString() : moved.reason;
    if (journal) {
        if (moved.ok)
            journal->done(action, step.source, step.target, entryIdentity(step.target));
        else if (moved.copied)
            journal->copied(step.source, step.target, moved.reason);
        else
            journal->failed(action, step.source, step.target, moved.reason);
    }
    return outcome;
}

QByteArray entryIdentity(const QByteArray &path)
{
    struct stat st;
    if (::lstat(path.constData(), &st) != 0)
        return {};
    return QByteArray::number(quint64(st.st_dev)) + ':' + QByteArray::number(quint64(st.st_ino)) + ':' +
           QByteArray::number(qint64(st.st_size)) + ':' +
           QByteArray::number(qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec);
}

namespace {

// The value of `key` ("Path=") in a .trashinfo file, or nothing.
QByteArray trashInfoValue(const QByteArray &info, QByteArrayView key)
{
    for (const QByteArray &line : info.split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed();
    }
    return {};
}

// The Trash folders an entry of `path` may go to: the home Trash, and those at the top of its disk.
QList<std::pair<QByteArray, QByteArray>> trashFolders(const QByteArray &path)
{
    QByteArray dataHome = qgetenv("XDG_DATA_HOME");
    if (dataHome.isEmpty() || !dataHome.startsWith('/'))
        dataHome = QFile::encodeName(QDir::homePath()) + "/.local/share";
    QList<std::pair<QByteArray, QByteArray>> folders{{dataHome + "/Trash", {}}}; // (folder, top of disk)
    QByteArray top = removingLastPathComponent(path);
    struct stat st, up;
    if (::stat(top.constData(), &st) != 0)
        return folders;
    while (top.size() > 1) {
        const QByteArray parent = removingLastPathComponent(top);
        const QByteArray above = parent.isEmpty() ? QByteArray("/") : parent;
        if (::stat(above.constData(), &up) != 0 || up.st_dev != st.st_dev)
            break;
        top = above;
    }
    const QByteArray uid = QByteArray::number(::getuid());
    const QByteArray base = top == "/" ? QByteArray() : top;
    folders.append({base + "/.Trash/" + uid, top});
    folders.append({base + "/.Trash-" + uid, top});
    return folders;
}

} // namespace

QByteArray findTrashedEntry(const QByteArray &originalPath, quint64 inode)
{
    // The Trash numbers a taken name before its first dot ("x.tar.gz" becomes "x.2.tar.gz"): only the part
    // before it is sure to start the entry's name. Path= below tells the entries apart.
    const QByteArray name = lastPathComponent(originalPath);
    const QByteArray stem = name.left(name.indexOf('.') < 0 ? name.size() : name.indexOf('.'));
    QByteArray best, bestDate;
    for (const auto &[folder, top] : trashFolders(originalPath)) {
        const QByteArray infoFolder = folder + "/info";
        DIR *dir = ::opendir(infoFolder.constData());
        if (!dir)
            continue;
        while (const dirent *entry = ::readdir(dir)) {
            const QByteArray infoName(entry->d_name);
            if (!infoName.startsWith(stem) || !infoName.endsWith(".trashinfo"))
                continue;
            QFile file(QFile::decodeName(infoFolder + '/' + infoName));
            if (!file.open(QIODevice::ReadOnly))
                continue;
            const QByteArray info = file.read(64 * 1024);
            QByteArray where = QByteArray::fromPercentEncoding(trashInfoValue(info, "Path="));
            if (!top.isEmpty() && !where.startsWith('/'))
                where = joinNativePath(top, where);
            if (where != originalPath)
                continue;
            const QByteArray trashed = folder + "/files/" + infoName.chopped(10);
            struct stat st;
            if (::lstat(trashed.constData(), &st) != 0)
                continue;
            const QByteArray date = trashInfoValue(info, "DeletionDate=");
            if (inode != 0 && st.st_ino == inode) {
                ::closedir(dir);
                return trashed;
            }
            if (best.isEmpty() || date >= bestDate) {
                best = trashed;
                bestDate = date;
            }
        }
        ::closedir(dir);
    }
    return best;
}

QList<StepOutcome> executePlan(const Plan &plan, MoveJournal *journal, const std::atomic<bool> *cancelled,
                               const StepCallback &onStep)
{
    QList<StepOutcome> outcomes;
    outcomes.reserve(plan.size());
    const auto total = int(plan.size());
    for (int i = 0; i < total; ++i) {
        if (cancelled && cancelled->load())
            break;
        outcomes.append(carryOutStep(plan.at(i), journal));
        if (onStep)
            onStep(outcomes.constLast(), i + 1, total);
    }
    return outcomes;
}


QList<StepPreview> previewPlan(const Plan &plan)
{
    QList<StepPreview> previews;
    previews.reserve(plan.size());
    // The file system as the steps before that would be carried out leave it: names taken and names freed.
    QSet<QByteArray> taken, vacated;
    const auto present = [&](const QByteArray &path) {
        struct stat st;
        return taken.contains(path) || (!vacated.contains(path) && ::lstat(path.constData(), &st) == 0);
    };
    const QString tooLong = QString::fromLocal8Bit(std::strerror(ENAMETOOLONG));
    for (const PlanStep &step : plan) {
        QString reason = step.skipReason;
        // What the move itself would answer, where it can be known beforehand.
        if (reason.isEmpty() && (lastPathComponent(step.target).size() > NAME_MAX || step.target.size() >= PATH_MAX))
            reason = tooLong;
        else if (reason.isEmpty() && present(step.target))
            reason = u"name taken"_s;
        if (!reason.isEmpty()) {
            previews.append({step, true, reason});
            continue;
        }
        taken.insert(step.target);
        vacated.remove(step.target);
        taken.remove(step.source);
        vacated.insert(step.source);
        previews.append({step, false, {}});
    }
    return previews;
}

ActionResult trashJournaled(const QByteArray &path, MoveJournal *journal, DesktopServices &desktop)
{
    using Action = MoveJournal::Action;
    // Where the entry goes in the Trash is found afterwards by its old path and, across a rename, its inode.
    const QByteArray original = absoluteOperandPath(path);
    if (journal && !journal->intend(Action::Trash, original))
        return {false, u"the journal cannot be written"_s};
    struct stat before;
    const quint64 inode = ::lstat(original.constData(), &before) == 0 ? quint64(before.st_ino) : 0;
    const ActionResult result = desktop.trash(path);
    if (journal) {
        const QByteArray trashed = result.ok ? findTrashedEntry(original, inode) : QByteArray();
        if (result.ok)
            journal->done(Action::Trash, original, trashed, trashed.isEmpty() ? QByteArray() : entryIdentity(trashed));
        else
            journal->failed(Action::Trash, original, {}, result.reason);
    }
    return result;
}

QString summaryText(const QList<StepOutcome> &outcomes, const QString &done)
{
    int moved = 0;
    QMap<QString, int> reasons;
    for (const StepOutcome &outcome : outcomes) {
        if (outcome.moved)
            ++moved;
        else
            ++reasons[outcome.reason];
    }
    const int skipped = int(outcomes.size()) - moved;
    QString text = u"%1 "_s.arg(moved) + done;
    if (skipped == 0)
        return text;
    text += u", %1 skipped"_s.arg(skipped);
    QList<std::pair<int, QString>> ranked;
    for (auto it = reasons.cbegin(); it != reasons.cend(); ++it)
        ranked.append({it.value(), it.key()});
    std::stable_sort(ranked.begin(), ranked.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
    QStringList shown;
    for (qsizetype i = 0; i < ranked.size() && i < 2; ++i)
        shown.append(ranked.at(i).second);
    return text + u": "_s + shown.join(u", "_s) + (ranked.size() > 2 ? u", …"_s : QString());
}

} // namespace vellumry
