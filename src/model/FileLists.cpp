// The item lists of the loaded folders.
#include "model/FileLists.h"

namespace vellumry {

ItemList &FileLists::listForKind(FileKind kind)
{
    switch (kind) {
    case FileKind::Image:
        return imageFilesItemArray;
    case FileKind::Audio:
        return audioFilesItemArray;
    case FileKind::Video:
        return videoFilesItemArray;
    case FileKind::Document:
        return documentFilesItemArray;
    case FileKind::Archive:
        return archiveFilesItemArray;
    case FileKind::InstallPackage:
    case FileKind::Other:
    case FileKind::Application:
    case FileKind::Folder:
        break;
    }
    return otherFilesItemArray;
}

void FileLists::clear()
{
    for (ItemList *list : {&filesItemArray, &imageFilesItemArray, &audioFilesItemArray, &videoFilesItemArray,
                           &documentFilesItemArray, &archiveFilesItemArray, &otherFilesItemArray,
                           &currentViewItemArray})
        list->clear();
}

} // namespace vellumry
