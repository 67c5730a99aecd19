// The window's status line: what the scan found, what is shown and selected with their sizes, and the
// outcome of the last action; and the kind counts of the show-files menu.
#include "app/StatusLine.h"

#include "app/AppDelegate.h"
#include "app/MainWindow.h"
#include "model/FolderScanner.h"
#include "model/ItemTexts.h"
#include "views/ui/ShownListModel.h"

#include <QAction>
#include <QLabel>
#include <QLocale>

namespace vellumry {

using namespace Qt::StringLiterals;

void StatusLine::update()
{
    updateKindCounts();
    const auto files = int(d.lists.filesItemArray.size());
    const auto shown = int(d.FileListController->rowCount());
    QString text;
    if (d.m_scanner->isScanning())
        text = AppDelegate::tr("Scanning… %1 found").arg(d.fileCount(files));
    else if (files == 0 && d.lists.currentViewItemArray.isEmpty())
        text = AppDelegate::tr("Drop a main folder here, or open one with Ctrl+O");
    else if (d.m_stopped)
        text = AppDelegate::tr("Stopped: %1 found").arg(d.fileCount(files));
    else if (!d.FileListController->filter().isEmpty())
        text = AppDelegate::tr("%1 of %2").arg(QLocale().toString(shown), d.fileCount(d.FileListController->unfilteredCount()));
    else if (shown != files)
        text = AppDelegate::tr("%1 of %2 shown").arg(QLocale().toString(shown), d.fileCount(files));
    else
        text = d.fileCount(files);
    if (!d.m_scanner->isScanning() && (files > 0 || shown > 0))
        text += totalsText();
    if (const QString groups = d.m_duplicates ? d.m_duplicates->statusText() : QString(); !groups.isEmpty())
        text = groups + (d.m_duplicates->isShown() ? selectionText() : QString());
    if (!d.m_actionStatus.isEmpty())
        text = d.m_actionStatus + u"  ·  "_s + text;
    d.window->statusLabel->setText(text);
}

QString StatusLine::totalsText() const
{
    // ", 3.2 GB" for what is shown, then " · 12 selected, 48 MB" for the selection of the visible view.
    return u", "_s + sizeText(d.FileListController->shownBytes()) + selectionText();
}

QString StatusLine::selectionText() const
{
    QString text;
    const QList<int> rows = d.selectedRows();
    if (!rows.isEmpty()) {
        quint64 selectedBytes = 0;
        for (int row : rows) {
            if (const IKImageItemRef item = d.FileListController->itemAt(row); item && !item->bDir())
                selectedBytes += item->filesizenum();
        }
        text += AppDelegate::tr(" · %1 selected, %2").arg(QLocale().toString(qlonglong(rows.size())), sizeText(selectedBytes));
    }
    return text;
}

void StatusLine::updateKindCounts()
{
    // "Images (1,204)": each kind's count beside its name, kept current while the scan fills the d.lists.
    const std::pair<MainWindow::Command, const ItemList *> kinds[] = {
        {MainWindow::ShowAllFiles, &d.lists.filesItemArray}, {MainWindow::ShowImages, &d.lists.imageFilesItemArray},
        {MainWindow::ShowVideos, &d.lists.videoFilesItemArray}, {MainWindow::ShowAudios, &d.lists.audioFilesItemArray},
        {MainWindow::ShowDocuments, &d.lists.documentFilesItemArray},
        {MainWindow::ShowArchives, &d.lists.archiveFilesItemArray}, {MainWindow::ShowOthers, &d.lists.otherFilesItemArray}};
    for (const auto &[command, list] : kinds) {
        QAction *action = d.window->action(command);
        QString title = action->text();
        if (const qsizetype open = title.lastIndexOf(u" ("_s); open > 0 && title.endsWith(u')'))
            title.truncate(open);
        action->setText(list->isEmpty() ? title : u"%1 (%2)"_s.arg(title, QLocale().toString(qlonglong(list->size()))));
    }
}

} // namespace vellumry
