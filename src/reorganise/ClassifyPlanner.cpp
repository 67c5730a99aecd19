// Classification plans: where each file goes, and which of the main folder's top-level folders are left empty.
#include "reorganise/ClassifyPlanner.h"

#include "model/MediaInfo.h"
#include "platform/NativePath.h"

#include <QHash>
#include <QSet>

#include <algorithm>
#include <charconv>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <optional>

#include <dirent.h>
#include <sys/stat.h>

namespace vellumry {

using namespace Qt::StringLiterals;

namespace {

struct KindFolder
{
    QString type;
    QByteArray folder;
};

const QList<KindFolder> &kindFolders()
{
    static const QList<KindFolder> folders{
        {u"Application"_s, "Application"},
        {u"Image"_s, "Image"},
        {u"Document"_s, "Document"},
        {u"Audio"_s, "Audio& Music"},
        {u"Video"_s, "Video"},
        {u"Archive"_s, "Archive"},
        {u"Install Package"_s, "Install Package"},
        {u"Other"_s, "Other"},
    };
    return folders;
}

bool isHidden(const QByteArray &name)
{
    return name.startsWith('.');
}

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

bool exists(const QByteArray &path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0;
}

// The entry names of a folder, sorted, or nothing when it cannot be read.
std::optional<QList<QByteArray>> listFolder(const QByteArray &path, int *error)
{
    DIR *dir = ::opendir(path.constData());
    if (!dir) {
        *error = errno;
        return std::nullopt;
    }
    QList<QByteArray> names;
    while (const dirent *entry = ::readdir(dir)) {
        const QByteArray name(entry->d_name);
        if (name != "." && name != "..")
            names.append(name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

// The value of the name's leading decimal digits (0 without any), capped so long runs cannot overflow.
int leadingNumber(const QByteArray &name)
{
    constexpr int kCap = 100000;
    if (name.isEmpty() || name.front() < '0' || name.front() > '9')
        return 0;
    int value = 0;
    const auto [end, error] = std::from_chars(name.constData(), name.constData() + name.size(), value);
    return error == std::errc::result_out_of_range ? kCap : std::min(value, kCap);
}

std::optional<QString> keptByMode(const QByteArray &name, ClassifyBy by)
{
    if (by == ClassifyBy::Kind) {
        const auto &folders = kindFolders();
        if (std::any_of(folders.begin(), folders.end(),
                        [&](const KindFolder &k) { return k.folder == name; }))
            return u"a kind folder"_s;
        return std::nullopt;
    }
    const int year = leadingNumber(name);
    if (year >= 1801 && year <= 2499)
        return u"a year folder"_s;
    return std::nullopt;
}

// Why `path` (relative name `rel`) must not be removed: something in it other than folders once the moves
// are done, that is a hidden entry, or a file or link that no step moves out, or a folder that cannot be
// read through.
std::optional<QString> holdsSomethingToKeep(const QByteArray &path, const QByteArray &rel,
                                            const QSet<QByteArray> &moved)
{
    if (moved.contains(path))
        return std::nullopt;
    struct stat st;
    if (::lstat(path.constData(), &st) != 0)
        return u"cannot be read: %1"_s.arg(errnoText(errno));
    if (S_ISLNK(st.st_mode))
        return u"holds a link that was not moved: %1"_s.arg(fromNativePath(rel));
    if (!S_ISDIR(st.st_mode))
        return u"holds a file that was not moved: %1"_s.arg(fromNativePath(rel));
    int error = 0;
    const auto names = listFolder(path, &error);
    if (!names)
        return u"cannot be read: %1: %2"_s.arg(fromNativePath(rel), errnoText(error));
    for (const QByteArray &name : *names) {
        if (isHidden(name))
            return u"holds a hidden entry: %1"_s.arg(fromNativePath(joinNativePath(rel, name)));
        if (auto reason = holdsSomethingToKeep(joinNativePath(path, name), joinNativePath(rel, name), moved))
            return reason;
    }
    return std::nullopt;
}

// Whether a component of `folder` below `mainFolder` exists as something other than a folder.
bool blockedByNonFolder(const QByteArray &mainFolder, const QByteArray &folder)
{
    QByteArray path = mainFolder;
    for (const QByteArray &part : folder.split('/')) {
        path = joinNativePath(path, part);
        struct stat st;
        if (::lstat(path.constData(), &st) != 0)
            return false;
        if (!S_ISDIR(st.st_mode))
            return true;
    }
    return false;
}

} // namespace

QList<QByteArray> kindFolderNames()
{
    QList<QByteArray> names;
    for (const KindFolder &k : kindFolders())
        names.append(k.folder);
    return names;
}

QByteArray classifyFolderFor(const IKImageItem &item, ClassifyBy by, qint64 modificationSecs)
{
    if (by == ClassifyBy::Kind) {
        const QString type = item.fileType();
        for (const KindFolder &k : kindFolders()) {
            if (k.type == type)
                return k.folder;
        }
        return {};
    }
    const auto secs = time_t(modificationSecs);
    struct tm local;
    if (!::localtime_r(&secs, &local))
        return {};
    return dateFolderFor(QDate(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday));
}

QByteArray dateFolderFor(const QDate &day)
{
    return QByteArray::number(day.year()) + '/' + QByteArray::number(day.month()) + '/' +
           QByteArray::number(day.day());
}

QString byModificationTimeText(int count)
{
    return u"%1 by modification time: no date taken"_s.arg(count);
}

QByteArray numberedName(const QByteArray &name, int n)
{
    const qsizetype dot = name.lastIndexOf('.');
    const bool hasExtension = dot > 0 && dot < name.size() - 1;
    const QByteArray base = hasExtension ? name.left(dot) : name;
    const QByteArray ext = hasExtension ? name.mid(dot) : QByteArray();
    return base + ' ' + QByteArray::number(n) + ext;
}

ClassifyPlan planClassification(const ItemList &files, const QByteArray &mainFolderPath, ClassifyBy by,
                                ClassifyDate date)
{
    const QByteArray mainFolder = withoutTrailingSlashes(mainFolderPath);
    int byModificationTime = 0;
    Plan moves;
    moves.reserve(files.size());
    QSet<QByteArray> planned;
    QHash<QByteArray, bool> blocked; // destination folder -> a component of it is not a folder
    for (int i = 0; i < files.size(); ++i) {
        const IKImageItemRef &item = files.at(i);
        PlanStep step{item ? item->nativeFilePath() : QByteArray(), {}, {}, i};
        moves.append(step);
        PlanStep &s = moves.last();
        if (mainFolder.isEmpty()) {
            s.skipReason = u"no main folder to classify"_s;
            continue;
        }
        if (mainFolder == "/") {
            s.skipReason = u"nothing is classified into the file-system root"_s;
            continue;
        }
        if (!item || item->isFolderItem()) {
            s.skipReason = u"a folder, not a file"_s;
            continue;
        }
        if (item->isReachedThroughLink()) { // it lies outside the main folder, or is reached twice
            s.skipReason = u"reached through a link"_s;
            continue;
        }
        qint64 modified = 0;
        if (by == ClassifyBy::Date) {
            if (item->modifDate().isEmpty()) {
                s.skipReason = u"no modification date"_s;
                continue;
            }
            struct stat st;
            if (::lstat(s.source.constData(), &st) != 0) {
                s.skipReason = u"cannot read its modification time: %1"_s.arg(errnoText(errno));
                continue;
            }
            modified = st.st_mtim.tv_sec;
        }
        QByteArray folder;
        if (by == ClassifyBy::Date && date == ClassifyDate::Taken) {
            const FileKind kind = item->kind();
            if (kind == FileKind::Image || kind == FileKind::Video) {
                const MediaInfo info = readMediaInfo(s.source, kind, MediaRead::DateOnly);
                if (info.taken.isValid())
                    folder = dateFolderFor(info.taken.date());
            }
            if (folder.isEmpty())
                ++byModificationTime;
        }
        if (folder.isEmpty())
            folder = classifyFolderFor(*item, by, modified);
        if (folder.isEmpty()) {
            s.skipReason = u"no folder for its type"_s;
            continue;
        }
        auto block = blocked.find(folder);
        if (block == blocked.end())
            block = blocked.insert(folder, blockedByNonFolder(mainFolder, folder));
        if (*block) {
            s.skipReason = u"its folder's name is taken by a file"_s;
            continue;
        }
        const QByteArray destination = joinNativePath(mainFolder, folder);
        const QByteArray name = item->nativeFileName();
        QByteArray target = joinNativePath(destination, name);
        if (target == s.source) {
            s.skipReason = u"already in its folder"_s;
            continue;
        }
        for (int n = 1; planned.contains(target) || exists(target); ++n)
            target = joinNativePath(destination, numberedName(name, n));
        if (lastPathComponent(target).size() > 255) { // NAME_MAX: the numbered name cannot be given
            s.skipReason = u"its numbered name would be longer than 255 bytes"_s;
            continue;
        }
        planned.insert(target);
        s.target = target;
        s.makeFolder = true;
    }
    ClassifyPlan plan = cleanUpAfter(moves, mainFolder, by);
    plan.byModificationTime = byModificationTime;
    return plan;
}

ClassifyPlan cleanUpAfter(const Plan &moves, const QByteArray &mainFolderPath, ClassifyBy by)
{
    ClassifyPlan plan;
    plan.moves = moves;
    const QByteArray mainFolder = withoutTrailingSlashes(mainFolderPath);
    if (mainFolder.isEmpty() || mainFolder == "/")
        return plan;

    QSet<QByteArray> moved;
    QSet<QByteArray> receiving; // top-level names that steps move files into
    const QByteArray prefix = mainFolder + '/';
    for (const PlanStep &step : moves) {
        if (step.skipped())
            continue;
        moved.insert(step.source);
        if (step.target.startsWith(prefix)) {
            const QByteArray rest = step.target.mid(prefix.size());
            receiving.insert(rest.left(rest.indexOf('/')));
        }
    }

    int error = 0;
    const auto names = listFolder(mainFolder, &error);
    if (!names)
        return plan;
    for (const QByteArray &name : *names) {
        const QByteArray path = joinNativePath(mainFolder, name);
        if (moved.contains(path))
            continue; // it leaves the top level itself
        if (isHidden(name)) { // never looked into, never removed: a hidden entry is not ours to tidy
            plan.kept.append({path, u"hidden"_s});
            continue;
        }
        if (auto reason = keptByMode(name, by)) {
            plan.kept.append({path, *reason});
            continue;
        }
        if (receiving.contains(name)) {
            plan.kept.append({path, u"receives classified files"_s});
            continue;
        }
        if (auto reason = holdsSomethingToKeep(path, name, moved)) {
            plan.kept.append({path, *reason});
            plan.guarded.append(path);
            continue;
        }
        plan.cleanUp.append(path);
    }
    return plan;
}

} // namespace vellumry
