// Move plans: where each selected file goes, or why it stays.
#include "reorganise/MovePlanner.h"

#include "platform/NativePath.h"

namespace vellumry {

using namespace Qt::StringLiterals;

namespace {

PlanStep stepInto(const MoveSource &source, const QByteArray &folder)
{
    PlanStep step{source.path, {}, {}, source.itemIndex};
    if (source.folderItem)
        step.skipReason = u"a folder, not a file"_s;
    else if (source.throughLink)
        step.skipReason = u"reached through a link"_s;
    else if (folder.isEmpty())
        step.skipReason = u"no folder to move to"_s;
    else if (folder == "/")
        step.skipReason = u"nothing is moved to the file-system root"_s;
    else
        step.target = joinNativePath(folder, source.name);
    return step;
}

} // namespace

Plan planMoveUp(const QList<MoveSource> &sources, int removals)
{
    Plan plan;
    plan.reserve(sources.size());
    for (const MoveSource &source : sources) {
        QByteArray folder = source.path;
        for (int i = 0; i < removals; ++i)
            folder = removingLastPathComponent(folder);
        plan.append(stepInto(source, folder));
    }
    return plan;
}

Plan planMoveInto(const QList<MoveSource> &sources, const QByteArray &folder)
{
    Plan plan;
    plan.reserve(sources.size());
    for (const MoveSource &source : sources)
        plan.append(stepInto(source, folder));
    return plan;
}

} // namespace vellumry
