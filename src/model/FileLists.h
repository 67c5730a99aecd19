// The item lists of the loaded folders, owned and written by the main thread.
#pragma once

#include "model/IKImageItem.h"

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
};

} // namespace vellumry
