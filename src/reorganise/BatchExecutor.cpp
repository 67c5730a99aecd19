// Carrying out plans of moves, with a journal and a summary.
#include "reorganise/BatchExecutor.h"

#include "platform/FileMover.h"
#include "platform/NativePath.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QMap>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
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

MoveJournal::MoveJournal(const QString &folder, const QString &operation)
{
    if (!QDir().mkpath(folder))
        return;
    const QString stamp = QDateTime::currentDateTimeUtc().toString(u"yyyyMMdd-HHmmss-zzz"_s);
    for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
        m_path = folder + u'/' + stamp + (attempt ? u'-' + QString::number(attempt) : QString()) + u'-' + operation +
                 u".log"_s;
        m_fd = ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0600);
        if (m_fd < 0 && errno != EEXIST)
            break;
    }
    if (m_fd < 0)
        m_path.clear();
}

MoveJournal::~MoveJournal()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

bool MoveJournal::record(const QByteArray &source, const QByteArray &target)
{
    if (m_fd < 0)
        return false;
    const QByteArray line = QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs).toLatin1() + '\t' +
                            source.toPercentEncoding("/") + '\t' + target.toPercentEncoding("/") + '\n';
    // One write per line: the line reaches the kernel before the next step starts.
    for (qsizetype done = 0; done < line.size();) {
        const ssize_t n = ::write(m_fd, line.constData() + done, size_t(line.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

namespace {

// mkdir -p for a byte path: each missing folder is made in turn; an existing folder is no error, an
// existing file in the way is. Never makes anything in the file-system root.
QString makeFolders(const QByteArray &folder)
{
    if (folder.isEmpty() || folder == "/")
        return u"nothing is created in the file-system root"_s;
    struct stat st;
    if (::stat(folder.constData(), &st) == 0)
        return S_ISDIR(st.st_mode) ? QString() : u"its folder's name is taken by a file"_s;
    const qsizetype slash = folder.lastIndexOf('/');
    if (slash > 0) {
        if (QString reason = makeFolders(folder.left(slash)); !reason.isEmpty())
            return reason;
    }
    if (::mkdir(folder.constData(), 0777) != 0 && errno != EEXIST)
        return u"its folder cannot be made: %1"_s.arg(QString::fromLocal8Bit(std::strerror(errno)));
    return {};
}

} // namespace

QList<StepOutcome> executePlan(const Plan &plan, MoveJournal *journal, const std::atomic<bool> *cancelled,
                               const std::function<void(int, int)> &progress)
{
    QList<StepOutcome> outcomes;
    outcomes.reserve(plan.size());
    const auto total = int(plan.size());
    for (int i = 0; i < total; ++i) {
        if (cancelled && cancelled->load())
            break;
        const PlanStep &step = plan.at(i);
        StepOutcome outcome{step, false, step.skipReason};
        if (!step.skipped() && step.makeFolder) {
            const qsizetype slash = step.target.lastIndexOf('/');
            outcome.reason = makeFolders(slash > 0 ? step.target.left(slash) : QByteArray("/"));
        }
        if (!step.skipped() && outcome.reason.isEmpty()) {
            const MoveResult moved = moveItemAtPath(step.source, step.target);
            outcome.moved = moved.ok;
            outcome.reason = moved.ok ? QString() : moved.reason;
            if (moved.ok && journal)
                journal->record(step.source, step.target);
        }
        outcomes.append(outcome);
        if (progress)
            progress(i + 1, total);
    }
    return outcomes;
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
