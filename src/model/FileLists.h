// The item lists of the loaded folders, owned and written by the main thread.
#pragma once

#include "model/IKImageItem.h"
#include "model/TreeWatcher.h"

#include <QByteArrayList>

namespace vellumry {

struct FileLists
{
    ItemList filesItemArray;         // every file and application bundle, scan order, no folders
    ItemList imageFilesItemArray;
    ItemList audioFilesItemArray;
    ItemList videoFilesItemArray;
    ItemList documentFilesItemArray;
    ItemList archiveFilesItemArray;
    ItemList otherFilesItemArray;    // "Other", "Install Package" and application bundles
    ItemList currentViewItemArray;   // the entries directly inside the scanned folders

    // The list a file of this kind joins besides filesItemArray.
    ItemList &listForKind(FileKind kind);
    void clear();

    // What applyTreeChanges did.
    struct Applied
    {
        ItemList removed; // left every list
        ItemList added;   // appended to the lists, in the order of the changes
        ItemList updated; // size or time changed
        bool any() const { return !removed.isEmpty() || !added.isEmpty() || !updated.isEmpty(); }
    };
    // Brings the lists to what the changes say is on disk: items of gone paths (and of everything
    // below a gone folder) leave every list; an item whose path exists gets its size and time; a
    // file with no item yet is appended to filesItemArray and its kind's list, and, like a folder,
    // to currentViewItemArray when it lies directly in one of `mainFolders`. An item that already
    // matches the disk (moved there by this program) is left alone. One pass over the lists.
    Applied applyTreeChanges(const TreeChanges &changes, const QByteArrayList &mainFolders);
};

} // namespace vellumry
