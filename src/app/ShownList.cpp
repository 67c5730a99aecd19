// What the views show: the shown list filled from one of the item lists, following the scan as it appends,
// the three view modes, the kind buttons and the sorts.
#include "app/ShownList.h"

#include "app/AppDelegate.h"
#include "app/Look.h"
#include "app/MainWindow.h"
#include "views/Comparators.h"
#include "views/ui/NSDragImageBrowserView.h"
#include "views/ui/ShownListModel.h"

#include <QTimer>

namespace vellumry {

using namespace Qt::StringLiterals;

void ShownList::reload(const ItemList &list, bool allFiles)
{
    d.m_refreshTimer->stop();
    d.m_actionStatus.clear();
    if (d.m_duplicates)
        d.m_duplicates->shownListReplaced();
    d.FileListController->setItems(list);
    d.m_shownSource = &list;
    d.m_shownIsAllFiles = allFiles;
    d.updateStatus();
}

void ShownList::filesAppended(qsizetype first, qsizetype)
{
    // Every refresh shows all files: appended when that is what is shown, else the whole list again.
    if (!d.m_shownIsAllFiles || d.FileListController->unfilteredCount() > first) {
        reload(d.lists.filesItemArray, true);
        return;
    }
    // The first items appear at once; after that the grid takes what arrived at most every 200 ms,
    // since each insertion lays the whole grid out again.
    if (d.FileListController->rowCount() == 0)
        catchUp();
    else if (!d.m_refreshTimer->isActive())
        d.m_refreshTimer->start();
    d.updateStatus();
}

void ShownList::catchUp()
{
    d.m_refreshTimer->stop();
    if (!d.m_shownIsAllFiles)
        return;
    const ItemList &files = d.lists.filesItemArray;
    const qsizetype shown = d.FileListController->unfilteredCount();
    if (shown < files.size())
        d.FileListController->appendItems(files, shown, files.size() - shown);
}

void ShownList::selectFirstItem()
{
    if (d.FileListController->rowCount() == 0)
        return;
    d.window->fodlerfileBroswerView->selectionModel()->select(d.FileListController->index(0, 0),
                                                              QItemSelectionModel::Select | QItemSelectionModel::Rows);
}

void ShownList::showMode(Mode mode)
{
    d.window->folderView->setVisible(mode != Table);
    d.window->folderListView->setVisible(mode == Table);
    if (mode == Folder)
        reload(d.lists.currentViewItemArray, false);
    else
        reload(d.lists.filesItemArray, true);
}

void ShownList::showKind(Kind kind)
{
    struct Button
    {
        const ItemList *list;
        int width;
        QString light, dark;
    };
    const FileLists &l = d.lists;
    const Button buttons[] = {
        {&l.filesItemArray, 84, u"showallfilesbtn.png"_s, u"showallfileblackbtn.png"_s},
        {&l.imageFilesItemArray, 84, u"showimagesbtn.png"_s, u"showimageblackbtn.png"_s},
        {&l.videoFilesItemArray, 84, u"showvideosbtn.png"_s, u"showvideoblackbtn.png"_s},
        {&l.audioFilesItemArray, 136, u"showaudiosbtn.png"_s, u"showaudioblackbtn.png"_s},
        {&l.documentFilesItemArray, 108, u"showdocumentsbtn.png"_s, u"showdocumentsblackbtn.png"_s},
        {&l.otherFilesItemArray, 72, u"otherbtn.png"_s, u"showotherblackbtn.png"_s},
        {&l.archiveFilesItemArray, 84, u"archivebtn.png"_s, u"showarchiveblackbtn.png"_s},
    };
    const Button &button = buttons[kind];
    reload(*button.list, button.list == &l.filesItemArray);
    d.m_look->showKind(button.width, button.light, button.dark);
}

void ShownList::sort(SortOrder order)
{
    // filesItemArray is the main thread's: a running scan only hands batches over here, between sorts.
    catchUp();
    sortItems(d.lists.filesItemArray, order);
    reload(d.lists.filesItemArray, true);
}

} // namespace vellumry
