// Rename plans: the new name of each selected file, or why it keeps its own.
#include "reorganise/RenamePlanner.h"

#include "platform/NativePath.h"
#include "reorganise/MovePlanner.h"

#include <QSet>

#include <sys/stat.h>

namespace vellumry {

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype kMaxNameBytes = 255; // NAME_MAX of Linux file systems

// The reason a name cannot be given to a file, or empty when it can.
QString invalidNameReason(const QByteArray &name)
{
    if (name.contains('/') || name.contains('\0'))
        return u"the new name would hold '/' or a NUL byte"_s;
    if (name == "." || name == "..")
        return u"the new name would be \".\" or \"..\""_s;
    if (name.size() > kMaxNameBytes)
        return u"the new name would be longer than 255 bytes"_s;
    return {};
}

bool existsOnDisk(const QByteArray &path)
{
    struct stat st;
    return ::lstat(path.constData(), &st) == 0; // a dangling link takes the name as well
}

} // namespace

NameParts splitName(const QByteArray &name)
{
    const qsizetype dot = name.lastIndexOf('.');
    if (dot <= 0)
        return {name, {}};
    return {name.left(dot), name.mid(dot + 1)};
}

QList<QByteArray> parentComponents(const QByteArray &path, int count)
{
    QList<QByteArray> components;
    QByteArray folder = path;
    for (int i = 0; i < count; ++i) {
        folder = removingLastPathComponent(folder);
        components.append(lastPathComponent(folder));
    }
    return components;
}

NewName newNameFor(const QByteArray &path, const RenameOptions &options)
{
    const QByteArray name = lastPathComponent(path);
    if (name.isEmpty() || name == "/")
        return {{}, u"not a file name"_s};
    const NameParts parts = splitName(name);

    QByteArray result;
    if (options.mode == RenameMode::Text) {
        switch (options.variant) {
        case RenameVariant::AddToBeginning:
            result = toNativePath(options.text) + ' ' + name;
            break;
        case RenameVariant::AddToEnd:
            result = parts.base + ' ' + toNativePath(options.text) + '.' + parts.extension;
            break;
        case RenameVariant::Replace: {
            QByteArray base = parts.base;
            // An empty find text would match between every two bytes: it matches nothing instead.
            if (!options.find.isEmpty())
                base.replace(toNativePath(options.find), toNativePath(options.replace));
            result = base + '.' + parts.extension;
            break;
        }
        }
    } else {
        const int depth = options.mode == RenameMode::ParentFolderName ? 1 : options.depth;
        if (depth < 1 || depth > 5)
            return {{}, u"the depth must be 1 to 5"_s};
        const QList<QByteArray> components = parentComponents(path, depth);
        for (const QByteArray &component : components) {
            if (component.isEmpty())
                return {{}, u"no parent folder name"_s};
            if (component == "/")
                return {{}, u"too few folders above the file"_s};
        }
        // Farthest first, joined by '_'; one folder joins the name by '_', several by a space.
        QByteArray block;
        for (auto it = components.crbegin(); it != components.crend(); ++it) {
            if (!block.isEmpty())
                block += '_';
            block += *it;
        }
        const char separator = depth == 1 ? '_' : ' ';
        switch (options.variant) {
        case RenameVariant::AddToBeginning:
            result = block + separator + name;
            break;
        case RenameVariant::AddToEnd:
            result = parts.base + separator + block + '.' + parts.extension;
            break;
        case RenameVariant::Replace:
            result = block + '.' + parts.extension;
            break;
        }
    }

    if (QString reason = invalidNameReason(result); !reason.isEmpty())
        return {{}, reason};
    if (result == name)
        return {{}, u"the name is unchanged"_s};
    return {result, {}};
}

Plan planRename(const QList<RenameSource> &sources, const RenameOptions &options)
{
    Plan plan;
    plan.reserve(sources.size());
    // The file system as the earlier steps will have left it: names they take and names they free.
    QSet<QByteArray> taken;
    QSet<QByteArray> vacated;
    const auto isTaken = [&](const QByteArray &path) {
        return taken.contains(path) || (!vacated.contains(path) && existsOnDisk(path));
    };

    for (const RenameSource &source : sources) {
        PlanStep step{source.path, {}, {}, source.itemIndex};
        plan.append(step);
        PlanStep &planned = plan.last();
        if (source.folderItem) {
            planned.skipReason = u"a folder, not a file"_s;
            continue;
        }
        if (source.throughLink) {
            planned.skipReason = u"reached through a link"_s;
            continue;
        }
        const NewName newName = newNameFor(source.path, options);
        if (newName.name.isEmpty()) {
            planned.skipReason = newName.skipReason;
            continue;
        }
        const QByteArray folder = removingLastPathComponent(source.path);
        QByteArray target = joinNativePath(folder, newName.name);
        if (isTaken(target)) {
            const NameParts parts = splitName(newName.name);
            const QByteArray numbered =
                parts.base + ' ' + QByteArray::number(source.itemIndex) + '.' + parts.extension;
            if (QString reason = invalidNameReason(numbered); !reason.isEmpty()) {
                planned.skipReason = reason;
                continue;
            }
            target = joinNativePath(folder, numbered);
            if (isTaken(target)) {
                planned.skipReason = u"name taken"_s;
                continue;
            }
        }
        planned.target = target;
        taken.insert(target);
        vacated.remove(target);
        taken.remove(source.path);
        vacated.insert(source.path);
    }
    return plan;
}

} // namespace vellumry
