// What the views show: the shown list and where it is filled from, the view modes, the kind buttons and
// the sorts, for its owner AppDelegate (whose actions forward here). GUI thread only.
#pragma once

#include "model/IKImageItem.h"
#include "views/Comparators.h"

namespace vellumry {

class AppDelegate;

class ShownList
{
public:
    enum Mode { Icons, Table, Folder };
    enum Kind { AllFiles, Images, Videos, Audios, Documents, Others, Archives };

    explicit ShownList(AppDelegate &owner) : d(owner) {}

    void reload(const ItemList &list, bool allFiles); // the shown list filled again from `list`
    void filesAppended(qsizetype first, qsizetype count); // the scan's live refresh
    void catchUp();                                       // what the scan appended since, shown now
    void selectFirstItem();
    void showMode(Mode mode); // the icon grid or the table of all files, or the main folder's top level
    void showKind(Kind kind); // that kind's list, and the show-files button's picture
    void sort(SortOrder order); // all files in that order, the kind filter dropped

private:
    AppDelegate &d;
};

} // namespace vellumry
