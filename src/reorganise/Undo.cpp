// Undoing a batch from its journal.
#include "reorganise/Undo.h"

#include "platform/FileMover.h"
#include "platform/NativePath.h"

#include <QDir>
#include <QFile>
#include <QHash>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vellumry {

using namespace Qt::StringLiterals;

namespace {

// One journaled step, with the last state the journal gives it.
struct JournalStep
{
    QByteArray action; // move, restore, trash, mkdir, rmdir
    QByteArray path;
    QByteArray target;
    QByteArray state;  // intent, done, failed, copied
    QByteArray identity;
};

struct Journal
{
    int version = 1;
    QString operation;
    QString undoes;
    QByteArray time;
    bool ended = false;
    QList<JournalStep> steps; // in the order their intentions were written (not read for a summary)
    int moved = 0, removed = 0, trashed = 0; // done steps, for a summary
    bool anyStep = false;                   // an intention of something an undo can take back
};

// `summary`: only the header and the counts, without decoding each step (the history reads every journal).
Journal readJournal(const QString &fileName, bool summary = false)
{
    Journal journal;
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return journal;
    QHash<QByteArray, qsizetype> latest; // action + path -> the step its last intention opened
    bool first = true;
    while (!file.atEnd()) {
        QByteArray line = file.readLine();
        if (!line.endsWith('\n'))
            break; // a line cut short by a kill
        line.chop(1);
        const QList<QByteArray> f = line.split('\t');
        if (first && journal.time.isEmpty())
            journal.time = f.value(0);
        if (first && f.size() >= 4 && f.at(1) == "version") {
            journal.version = f.at(2).toInt();
            journal.operation = QString::fromUtf8(f.at(3));
            journal.undoes = QString::fromUtf8(f.value(4));
            first = false;
            continue;
        }
        first = false;
        if (f.size() == 2) {
            journal.ended = journal.ended || f.at(1) == "end";
            continue;
        }
        if (f.size() < 4)
            continue;
        const QByteArray &state = f.at(1), &action = f.at(2);
        if (summary) {
            if (state == "done") {
                journal.moved += action == "move" || action == "restore";
                journal.removed += action == "rmdir";
                journal.trashed += action == "trash";
            }
            journal.anyStep = journal.anyStep || (state == "intent" && action != "copy");
            continue;
        }
        const QByteArray path = QByteArray::fromPercentEncoding(f.at(3));
        const QByteArray key = action + '\t' + path;
        if (state == "intent") {
            latest.insert(key, journal.steps.size());
            journal.steps.append({action, path, QByteArray::fromPercentEncoding(f.value(4)), state, {}});
            continue;
        }
        const auto at = latest.constFind(key);
        if (at == latest.cend())
            continue;
        JournalStep &step = journal.steps[*at];
        step.state = state;
        if (state == "done") {
            if (f.size() >= 5)
                step.target = QByteArray::fromPercentEncoding(f.at(4));
            step.identity = f.value(5);
        }
    }
    return journal;
}

bool exists(const QByteArray &path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0;
}

// Whether the entry whose identity is `now` is the one the journal recorded: device, inode, size and
// modification time; for a folder, whose size and time follow its contents, device and inode.
bool sameEntry(const QByteArray &recorded, const QByteArray &now, bool folder)
{
    if (recorded.isEmpty() || now.isEmpty() || recorded == now)
        return recorded == now && !now.isEmpty();
    if (!folder)
        return false;
    const QList<QByteArray> a = recorded.split(':'), b = now.split(':');
    return a.size() == 4 && b.size() == 4 && a.at(0) == b.at(0) && a.at(1) == b.at(1);
}

bool isFolder(const QByteArray &path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

QList<BatchRecord> batchHistory(const QString &journalFolder)
{
    QList<BatchRecord> records;
    const QStringList names = QDir(journalFolder).entryList({u"*.log"_s}, QDir::Files, QDir::Name | QDir::Reversed);
    for (const QString &name : names) {
        BatchRecord record;
        record.id = name.chopped(4);
        record.journalPath = journalFolder + u'/' + name;
        const Journal journal = readJournal(record.journalPath, true);
        if (journal.time.isEmpty())
            continue;
        record.started = QDateTime::fromString(QString::fromLatin1(journal.time), Qt::ISODateWithMs);
        record.operation = journal.version >= 2 ? journal.operation : record.id.section(u'-', 4);
        record.undoes = journal.undoes;
        record.ended = journal.ended;
        record.moved = journal.moved;
        record.removed = journal.removed;
        record.trashed = journal.trashed;
        const bool something = journal.anyStep;
        record.empty = !something;
        if (!journal.ended) { // a batch still running holds the lock on its journal
            const int fd = ::open(QFile::encodeName(record.journalPath).constData(), O_RDONLY | O_CLOEXEC);
            record.running = fd >= 0 && ::flock(fd, LOCK_SH | LOCK_NB) != 0;
            if (fd >= 0)
                ::close(fd);
        }
        if (journal.version < 2)
            record.notUndoable = u"written by an earlier version, without the identities an undo checks"_s;
        else if (record.running)
            record.notUndoable = u"still running"_s;
        else if (!something)
            record.notUndoable = u"nothing to undo"_s;
        records.append(record);
    }
    // Newest first: an undo comes after the batch it undoes, so whether it is itself undone is known here.
    QHash<QString, qsizetype> index;
    for (qsizetype i = 0; i < records.size(); ++i)
        index.insert(records.at(i).id, i);
    for (qsizetype i = 0; i < records.size(); ++i) {
        const BatchRecord &undo = records.at(i);
        if (undo.undoes.isEmpty() || undo.undone || !undo.ended)
            continue;
        const auto at = index.constFind(undo.undoes);
        if (at == index.cend() || *at <= i || records.at(*at).undone)
            continue;
        BatchRecord &target = records[*at];
        target.undone = true;
        target.undoneBy = undo.id;
        if (target.notUndoable.isEmpty())
            target.notUndoable = u"already undone"_s;
    }
    return records;
}

UndoPlan planUndo(const BatchRecord &batch)
{
    UndoPlan plan;
    plan.batch = batch;
    if (!batch.undoable())
        return plan;
    const Journal journal = readJournal(batch.journalPath);
    // What each path holds once the steps planned so far are taken: an identity, or empty for nothing.
    QHash<QByteArray, QByteArray> planned;
    const auto identityAt = [&planned](const QByteArray &path) {
        const auto at = planned.constFind(path);
        return at != planned.cend() ? *at : entryIdentity(path);
    };
    // A step from `from` (where the batch put the entry) back to `to`; an empty reason when it can be taken.
    const auto check = [&](const QByteArray &from, const QByteArray &to, const QByteArray &recorded) -> QString {
        const QByteArray now = identityAt(from);
        if (now.isEmpty())
            return u"no longer where the batch put it"_s;
        if (!recorded.isEmpty() && recorded != now && !sameEntry(recorded, now, isFolder(from)))
            return u"changed since"_s;
        if (!identityAt(to).isEmpty())
            return u"its old place is taken"_s;
        planned.insert(to, now);
        planned.insert(from, {});
        return {};
    };
    for (auto it = journal.steps.crbegin(); it != journal.steps.crend(); ++it) {
        const JournalStep &step = *it;
        const bool done = step.state == "done", unfinished = step.state == "intent";
        if (step.action == "rmdir") {
            if ((done || unfinished) && !exists(step.path))
                plan.remakeFolders.append(step.path);
        } else if (step.action == "mkdir") {
            if (done || (unfinished && isFolder(step.path)))
                plan.removeFolders.append(step.path);
        } else if (step.action == "move" || step.action == "restore") {
            // Killed between the intention and its outcome: moved when the entry is at the target and
            // no longer at its source (no identity was recorded for it); otherwise nothing happened.
            if (unfinished && (!exists(step.target) || exists(step.path)))
                continue;
            if (!done && !unfinished)
                continue;
            if (step.action == "restore") {
                if (check(step.target, step.path, step.identity).isEmpty())
                    plan.retrash.append(step.target);
                continue;
            }
            PlanStep back{step.target, step.path, check(step.target, step.path, step.identity)};
            back.itemIndex = int(plan.moves.size());
            plan.moves.append(back);
            plan.trashInfo.append(QByteArray());
        } else if (step.action == "trash" && done) {
            PlanStep back{step.target, step.path, {}};
            QByteArray info;
            if (step.target.isEmpty()) {
                back.source = step.path;
                back.skipReason = u"not found in the Trash"_s;
            } else {
                back.skipReason = check(step.target, step.path, step.identity);
                const QByteArray files = removingLastPathComponent(step.target);
                info = removingLastPathComponent(files) + "/info/" + lastPathComponent(step.target) + ".trashinfo";
            }
            back.itemIndex = int(plan.moves.size());
            plan.moves.append(back);
            plan.trashInfo.append(info);
        }
    }
    return plan;
}

BatchOutcome executeUndo(const UndoPlan &plan, MoveJournal *journal, const std::atomic<bool> *cancelled,
                         const StepCallback &onStep)
{
    using Action = MoveJournal::Action;
    BatchOutcome outcome;
    for (const QByteArray &folder : plan.remakeFolders) {
        CleanUpOutcome made{folder, false, {}, false};
        if (journal && !journal->intend(Action::MakeFolder, folder)) {
            made.reason = u"the journal cannot be written"_s;
        } else if (::mkdir(folder.constData(), 0777) != 0) {
            made.reason = QString::fromLocal8Bit(std::strerror(errno));
            if (journal)
                journal->failed(Action::MakeFolder, folder, {}, made.reason);
        } else {
            made.removed = true;
            if (journal)
                journal->done(Action::MakeFolder, folder);
        }
        outcome.remade.append(made);
    }
    const auto total = int(plan.moves.size());
    for (int i = 0; i < total; ++i) {
        if (cancelled && cancelled->load()) {
            outcome.cancelled = true;
            return outcome;
        }
        const QByteArray &info = plan.trashInfo.value(i);
        outcome.moves.append(carryOutStep(plan.moves.at(i), journal, info.isEmpty() ? Action::Move : Action::Restore));
        if (outcome.moves.constLast().moved && !info.isEmpty())
            removeTrashRecord(info); // out of the Trash: its record there goes too
        if (onStep)
            onStep(outcome.moves.constLast(), i + 1, total);
    }
    for (const QByteArray &path : plan.retrash) {
        const ActionResult result = trashJournaled(path, journal);
        outcome.trashed.append({path, result.ok, result.reason, false});
    }
    for (const QByteArray &folder : plan.removeFolders) {
        if (!isFolder(folder))
            continue;
        CleanUpOutcome removal{folder, false, {}, false};
        if (journal && !journal->intend(Action::RemoveFolder, folder)) {
            removal.reason = u"the journal cannot be written"_s;
        } else if (const int error = removeEmptyFolder(folder); error != 0) {
            removal.reason = error == ENOTEMPTY || error == EEXIST ? u"not empty"_s
                                                                   : QString::fromLocal8Bit(std::strerror(error));
            removal.guarded = true;
            if (journal)
                journal->failed(Action::RemoveFolder, folder, {}, removal.reason);
        } else {
            removal.removed = true;
            if (journal)
                journal->done(Action::RemoveFolder, folder);
        }
        outcome.cleanUp.append(removal);
    }
    return outcome;
}

} // namespace vellumry
