// Carrying out a classification and its clean-up.
#include "reorganise/ClassifyExecutor.h"

#include "platform/FileMover.h"
#include "platform/NativePath.h"

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vellumry {

using namespace Qt::StringLiterals;

namespace {

// Removes the folder tree at `path` from the bottom up, folders only. Answers the empty text when all of it
// went, else why not, naming the first folder (relative name `rel`) that could not go. A folder is looked
// at afresh here, so whatever appeared since the plan stops the removal of it and of the folders above it.
QString removeFolderTree(const QByteArray &path, const QByteArray &rel, MoveJournal *journal)
{
    DIR *dir = ::opendir(path.constData());
    if (!dir)
        return u"cannot be read: %1: %2"_s.arg(fromNativePath(rel), QString::fromLocal8Bit(std::strerror(errno)));
    QList<QByteArray> folders;
    QByteArray other;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name == "." || name == "..")
            continue;
        struct stat st;
        const QByteArray child = joinNativePath(path, name);
        if (::lstat(child.constData(), &st) == 0 && S_ISDIR(st.st_mode))
            folders.append(name);
        else if (other.isEmpty())
            other = name;
    }
    ::closedir(dir);
    if (!other.isEmpty())
        return u"not empty any more: %1"_s.arg(fromNativePath(joinNativePath(rel, other)));
    std::sort(folders.begin(), folders.end());
    for (const QByteArray &name : folders) {
        if (QString reason = removeFolderTree(joinNativePath(path, name), joinNativePath(rel, name), journal);
            !reason.isEmpty())
            return reason;
    }
    using Action = MoveJournal::Action;
    if (journal && !journal->intend(Action::RemoveFolder, path))
        return u"the journal cannot be written"_s;
    if (const int error = removeEmptyFolder(path); error != 0) {
        const QString reason = error == ENOTEMPTY || error == EEXIST
                                   ? u"not empty any more: %1"_s.arg(fromNativePath(rel))
                                   : u"cannot be removed: %1: %2"_s.arg(fromNativePath(rel),
                                                                        QString::fromLocal8Bit(std::strerror(error)));
        if (journal)
            journal->failed(Action::RemoveFolder, path, {}, reason);
        return reason;
    }
    if (journal)
        journal->done(Action::RemoveFolder, path);
    return {};
}

} // namespace

QList<CleanUpOutcome> cleanUpTopLevel(const QList<StepOutcome> &moves, const QByteArray &mainFolder, ClassifyBy by,
                                      MoveJournal *journal)
{
    // Only what really moved counts: a file whose move failed (or was only copied) still lies in its folder.
    Plan done;
    for (const StepOutcome &step : moves) {
        if (step.moved)
            done.append(step.step);
    }
    const ClassifyPlan after = cleanUpAfter(done, mainFolder, by);
    QList<CleanUpOutcome> entries;
    for (const auto &[path, reason] : after.kept)
        entries.append({path, false, reason, after.guarded.contains(path)});
    for (const QByteArray &path : after.cleanUp) {
        const QString reason = removeFolderTree(path, path.mid(path.lastIndexOf('/') + 1), journal);
        entries.append({path, reason.isEmpty(), reason, !reason.isEmpty()});
    }
    std::sort(entries.begin(), entries.end(),
              [](const CleanUpOutcome &a, const CleanUpOutcome &b) { return a.path < b.path; });
    return entries;
}

BatchOutcome executeClassification(const ClassifyPlan &plan, const QByteArray &mainFolder, ClassifyBy by,
                                   MoveJournal *journal, const std::atomic<bool> *cancelled,
                                   const StepCallback &onStep)
{
    BatchOutcome outcome;
    outcome.moves = executePlan(plan.moves, journal, cancelled, onStep);
    outcome.cancelled = cancelled && cancelled->load();
    if (!outcome.cancelled)
        outcome.cleanUp = cleanUpTopLevel(outcome.moves, mainFolder, by, journal);
    return outcome;
}


QList<CleanUpOutcome> previewCleanUp(const ClassifyPlan &plan)
{
    QList<CleanUpOutcome> entries;
    for (const auto &[path, reason] : plan.kept)
        entries.append({path, false, reason, plan.guarded.contains(path)});
    for (const QByteArray &path : plan.cleanUp)
        entries.append({path, true, {}, false});
    std::sort(entries.begin(), entries.end(),
              [](const CleanUpOutcome &a, const CleanUpOutcome &b) { return a.path < b.path; });
    return entries;
}

QString classifySummaryText(const BatchOutcome &outcome)
{
    QString text = summaryText(outcome.moves);
    if (outcome.cancelled)
        return text + u" (cancelled, no folder removed)"_s;
    int removed = 0;
    QStringList guarded;
    for (const CleanUpOutcome &entry : outcome.cleanUp) {
        if (entry.removed)
            ++removed;
        else if (entry.guarded)
            guarded.append(displayPath(fromNativePath(entry.path.mid(entry.path.lastIndexOf('/') + 1))) + u" ("_s +
                           entry.reason + u')');
    }
    text += removed == 1 ? u" · 1 empty folder removed"_s : u" · %1 empty folders removed"_s.arg(removed);
    if (!guarded.isEmpty())
        text += u", kept: "_s + (guarded.size() > 2 ? guarded.mid(0, 2).join(u", "_s) + u", …"_s : guarded.join(u", "_s));
    return text;
}

} // namespace vellumry
