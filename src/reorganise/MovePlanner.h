// Plans for moving files up their folders, into a chosen folder, or into the main folder.
#pragma once

#include "platform/NativePath.h"
#include "reorganise/BatchExecutor.h"

namespace vellumry {

// A file to move: where it is and the name it keeps.
struct MoveSource
{
    QByteArray path;
    QByteArray name;
    int itemIndex = -1;
    bool folderItem = false; // a folder view's item: never moved (its path is the folder icon)
    bool throughLink = false; // found below a link to a folder: never moved (it lies elsewhere)
};

// Into the folder `removals` components above the file's path: 2 is the folder above the file's own
// folder (one level up), 3 two levels up, 4 three levels up. A destination that is empty or the
// file-system root is skipped.
Plan planMoveUp(const QList<MoveSource> &sources, int removals);
// Into `folder` (a chosen folder, or the main folder). No folder, or the file-system root, skips all.
Plan planMoveInto(const QList<MoveSource> &sources, const QByteArray &folder);

} // namespace vellumry
