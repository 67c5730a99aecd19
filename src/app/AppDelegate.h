// The controller: owns the lists, the scan engine and the windows, runs the launch sequence, loads
// folders and drives the views. Batches go to BatchRunner, the look to Look, preferences, help and about
// to PreferencesController; the commands keep their names here as forwarders.
#pragma once

#include "app/ShownList.h"
#include "app/StatusLine.h"
#include "appmanager/AppSorting.h"
#include "appmanager/PMAppNode.h"
#include "appmanager/PRUninstallFileNode.h"
#include "appmanager/ui/AppBoxPresenter.h"
#include "appmanager/ui/ApplicationsController.h"
#include "duplicates/ui/DuplicatesView.h"
#include "model/FileLists.h"
#include "platform/DesktopServices.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <functional>
#include <memory>

class QFileDialog;
class QMessageBox;
class QMenu;
class QMimeData;
class QProgressBar;
class QPushButton;
class QSystemTrayIcon;
class QTabWidget;
class QTableView;
class QTimer;
class QUrl;

namespace vellumry {

class FolderScanner;
class TreeWatcher;
class LiveUpdates;

class HistoryWindow;
class MainWindow;
class NotificationCenter;
class AboutWindow;
class BatchRunner;
class Look;
class PreferencesController;
class PreferencesWindow;
class PPopoverviewConterller;
class RenameSheet;
class ClassifySheet;
class PlanPreviewSheet;
class Settings;
class ShownListModel;
class StartWindow;
class ThumbnailLoader;

class AppFileListModel;
class AppFileSheet;
class AppTableModel;
class ApplicationsPage;

class AppDelegate : public QObject
{
    Q_OBJECT
public:
    // What the controller needs from the desktop, handed in so tests can give it a temporary home.
    struct Services
    {
        Settings *settings = nullptr;
        NotificationCenter *nc = nullptr;
        DesktopServices *desktop = nullptr; // unset: DesktopServices::system()
    };

    explicit AppDelegate(Services services, QObject *parent = nullptr);
    ~AppDelegate() override;

    static AppDelegate *GetAppControllor();

    // Builds the windows (as loading the interface does), then runs the launch sequence.
    void awakeFromNib();
    // `foldersNamed`: folders were named on the command line and are opened next, so no start-up hint.
    void applicationDidFinishLaunching(bool foldersNamed = false);

    // Folder loading.
    void startScanCurrentFolder(const QString &path);
    void startScanCurrentFolders(const QStringList &paths); // one request: all are main folders at once
    void PRDragOperationImageNoteHandle(QObject *browser);
    void openFoldersAsDrop(const QStringList &paths); // folders named on the command line
    void ClearAndOpenNewFolderAction();
    void openPanelDidEnd13(QFileDialog *panel, int returnCode);
    void ImportNewFolderAction();
    void openPanelDidEnd14(QFileDialog *panel, int returnCode);
    void ClearCurrentFilesandFolderAction();
    void stopScanAction();

    // View modes, kind filters, preview and opening.
    void ChangetoIconViewModeAction();
    void ChangetoListViewModeAction();
    void ChangetoFolderViewModeAction();
    void ShowAllFilesBtnAction();
    void ShowAllImagesBtnAction();
    void ShowAllVideosBtnAction();
    void ShowAllAudiosBtnAction();
    void ShowAllDocumentsBtnAction();
    void ShowAllOthersBtnAction();
    void ShowAllArchiveBtnAction();
    void SortFileinFolderByNameAction();
    void SortFileinFolderByTypeAction();
    void SortFileinFolderByDateAction();
    void SortFileinFolderByPathAction();
    void SortFileinFolderBySizeAction();
    void tableViewDidClickTableColumn(const QString &identifier);
    void OpenSelectedFileAction();
    void ShowFilesinFinderAction();
    void MoveFilesToTrashAction();
    // The clipboard: the selected files as a file manager copies them, or their paths as text.
    void CopySelectedFilesAction();
    void CopySelectedPathsAction();
    QList<int> selectedRows() const; // of the visible view, ascending
    void MoveToleve1ParentFolderAction();
    void MoveToleve2ParentFolderAction();
    void MoveToleve3ParentFolderAction();
    void MoveToleve4ParentFolderAction();
    void MoveToCustomFolderAction();
    void openPanelDidEnd16(QFileDialog *panel, int returnCode);
    void MoveToRootFolderAction();
    void MoveDifferentFolderAction();
    bool isBatchRunning() const;
    bool showsBatchPreview() const; // the preference: batches show their preview before they run
    // Batch rename and classification, each through its sheet (BatchRunner does the work).
    void RenameFolderAction();
    void CancelRenameFolderAction();
    void ChangeRenameTypeAction();
    void ChangeTextTypeAction();
    void SaveRenameFolderAction();
    void ClassfyFolderAction();
    void CancelClassfyFolder();
    void SelectReclassTypeAction();
    void SelectReclassDateAction();
    void ClassifyFolderHandle();
    // Undo and the History window (BatchRunner undoes, through the same preview and run as every batch).
    void UndoLastBatchAction(); // the newest batch not yet undone; said in the status line when there is none
    void ShowHistoryAction();
    void updateUndoAction(); // Edit > Undo's text names the batch it would undo; disabled when none can be
    void rescanMainFolders(); // the lists emptied and the main folders scanned again, as opening them does
    // View > Refresh: the main folders scanned again, keeping the scroll position and the selection of
    // the files that still exist.
    void RefreshMainFoldersAction();
    TreeWatcher *watcher() const; // the one following the scanned trees
    // Selection > Find Duplicates (Ctrl+D) and Select Copies: DuplicatesView does the work.
    DuplicatesView *duplicates() const { return m_duplicates; }
    void FindDuplicatesAction() { m_duplicates->toggle(); }
    void SelectCopiesAction(DuplicatesView::Keep rule, const QByteArray &folder = {}) { m_duplicates->selectCopies(rule, folder); }
    void imageBrowserSelectionDidChange();
    void tableViewSelectionDidChange();
    void imageBrowserCellWasDoubleClickedAtIndex(int index);
    void DoubleClickTableViewBookMarkAction();
    bool isListMode() const;

    // Look, buttons, sheets and windows.
    void BMakeModeTimer_hander();
    void MybuttonMouseDownHandle(QObject *button);
    static QRect windowWillPositionSheetUsingRect(QWidget *window, QWidget *sheet, const QRect &rect);
    void positionSheet(QWidget *sheet); // places a window-modal dialog where the rule above says
    bool windowShouldClose(QWidget *which);
    void savePanelDidEnd12(int returnCode, bool suppressionTicked);
    QString showFilesImageName() const;
    QString statusText() const;
    static QString fileCount(qsizetype n); // "1 file", "12,345 files"
    void showActionStatus(const QString &text); // the outcome of the last action, before the counts
    void refreshPreview(); // the visible view's selection previewed again
    QPoint menuPointForButton(QWidget *button) const; // where a button's menu pops up, in screen coordinates

    // Help, about, preferences and the login item (PreferencesController does the work).
    void setUpPreferences(); // builds both windows and the Settings and Help menus
    void GoToVellumryAction();
    void Gethelp();
    void ClickShowPereferenceWindow();
    void ClickShowAboutWindow();
    void ClickAppBoxOnLogin();
    void ChangeAppSettings();
    int getUsedAppCountSetting() const;
    ActionResult addAppAsLoginItem();
    ActionResult deleteAppFromLoginItem();
    void readConfigfileInfo();
    PreferencesWindow *perfereceWindow = nullptr;
    AboutWindow *aboutWindow = nullptr;

    // State the rest of the program reads.
    FileLists lists;
    QString currentSelectFolder;
    QString currentFileExten;
    bool isDarkMode() const;
    bool LoadFirstItem() const;
    FolderScanner *scanner() const { return m_scanner; }
    ShownListModel *FileListController = nullptr;
    MainWindow *window = nullptr;
    StartWindow *openFolderWindow = nullptr;
    RenameSheet *renameSheet = nullptr;
    ClassifySheet *classifySheet = nullptr;
    PlanPreviewSheet *previewSheet = nullptr; // a batch's steps before it runs
    HistoryWindow *historyWindow = nullptr;
    QTimer *detectTimer = nullptr;
    QPointer<QMessageBox> startupHint;
    QPointer<QFileDialog> openHomePanel;

Q_SIGNALS:
    void scanFinished(); // no scan is running or queued any more
    void previewed(int row);
    void batchFinished(); // a move, rename, classification or undo ended, its items and status updated

private:
    void clearLists();
    void reloadShownList(const ItemList &list, bool allFiles);
    void connectCommands();
    void sortFiles(int order);
    void previewRow(int row);
    void followPreviewedItem(); // the item previewed changed its place or name: its labels say the new ones
    int lowestSelectedGridRow() const; // -1 when nothing is selected
    void openItem(const IKImageItem &item);
    void showOpenPanel(bool importing);
    void updateStatus();
    void applyFilter();         // the filter field's text and the main folders to the shown list
    void onFilesAppended(qsizetype first, qsizetype count);
    void catchUpShownList();
    void onSelectFirstItem();

    Services m_services;
    FolderScanner *m_scanner = nullptr;
    ThumbnailLoader *m_thumbnails = nullptr;
    bool m_shownIsAllFiles = true;
    bool m_stopped = false;
    QTimer *m_refreshTimer = nullptr;
    void previewItem(const IKImageItemRef &item); // shows it in the preview pane and remembers it
    IKImageItemRef m_previewed; // the item the preview pane shows, and where it was when shown
    QByteArray m_previewedAt;
    QString m_actionStatus; // the outcome of the last action, shown before the counts
    QStringList m_mainFolders; // asked for since the lists were last emptied, for a rescan
    QByteArrayList m_filterFolders; // the main folders the shown list takes locations below
    Look *m_look = nullptr;
    LiveUpdates *m_live = nullptr; // follows the scanned trees from their scan on
    std::unique_ptr<StatusLine> m_status = std::make_unique<StatusLine>(*this);
    std::unique_ptr<ShownList> m_shown = std::make_unique<ShownList>(*this);
    friend class ShownList;
    friend class StatusLine;
    friend class LiveUpdates;
    friend class DuplicatesView;
    DuplicatesView *m_duplicates = nullptr;
    const ItemList *m_shownSource = nullptr; // the list the shown list was last filled from
    BatchRunner *m_batches = nullptr;
    PreferencesController *m_preferences = nullptr;

    // ---- Applications: the page, its sorts, the tray item and the application file sheet live in
    // `applications`; the box in `box`. The names below reach into them.
public:
    ApplicationsController *const applications = new ApplicationsController(this);
    AppBoxPresenter *const box = new AppBoxPresenter(this);
    void askForUserFolderGrant() { applications->askForUserFolderGrant(); }
    void clickConnectUserDataAction() { applications->clickConnectUserDataAction(); }
    void ChangeOenWithApplicationAction() { applications->ChangeOenWithApplicationAction(); }
    void changePanelDidEnd(int returnCode, const QString &chosenPath, const QStringList &extensions)
    {
        applications->changePanelDidEnd(returnCode, chosenPath, extensions);
    }
    QPointer<ConnectUserSheet> &connectUserWindow = applications->connectUserWindow;
    void setUpAppBox(); // creates the box's controller, restores the box and the main window's box button
    void ClickStateBanner(QWidget *sender = nullptr) { box->ClickStateBanner(sender); }
    void createPopover() { box->createPopover(); }
    void popoverDidClose() { box->popoverDidClose(); }
    QWidget *detachableWindowForPopover() { return box->detachableWindowForPopover(); }
    void detachPopover() { box->detachPopover(); }
    PPopoverviewConterller *&thePopViewController = box->thePopViewController;
    QPointer<QWidget> &thePopover = box->thePopover;
    QWidget *&popAttachWindow = box->popAttachWindow;

    void setupApplications(); // builds the page, the sheet and the tray item (part of awakeFromNib)
    void StartScanAppInformation() { applications->StartScanAppInformation(); }
    void scanAllApplicationFolder() { applications->scanAllApplicationFolder(); }
    bool isAppScanRunning() const { return applications->isAppScanRunning(); }
    void CheckDarkTimer_hander() { applications->CheckDarkTimer_hander(); }
    void SortAppAction() { applications->SortAppAction(); }
    QPoint sortMenuPoint() const { return applications->sortMenuPoint(); }
    void SortAllAppArrayFrom32to64Action() { applications->SortAllAppArrayFrom32to64Action(); }
    void SortAllAppArrayRecentUsedCountAction() { applications->SortAllAppArrayRecentUsedCountAction(); }
    void SortAllAppArrayLastUsedDateAction() { applications->SortAllAppArrayLastUsedDateAction(); }
    void SortAllAppArrayAppNameAction() { applications->SortAllAppArrayAppNameAction(); }
    void StartScanApplicationHandle(const PMAppNodeRef &node) { applications->StartScanApplicationHandle(node); }
    void CloseAppFileWindow() { applications->CloseAppFileWindow(); }
    QString statusItemImageName() const { return applications->statusItemImageName(); }

    const PMAppNodeList &fileNadeArray = applications->fileNadeArray; // changed on this thread only
    const PRUninstallFileNodeList &fileExtenNadeArray = applications->fileExtenNadeArray;
    PMAppNodeRef &currentNode = applications->currentNode;
    QTabWidget *&appTabs = applications->appTabs;
    ApplicationsPage *&appsPage = applications->appsPage;
    AppTableModel *&appController = applications->appController;
    QTableView *&appTableview = applications->appTableview;
    QProgressBar *&scanProgressor = applications->scanProgressor;
    QPushButton *&SortButton = applications->SortButton;
    AppFileSheet *&AppFileWindow = applications->AppFileWindow;
    AppFileListModel *&appFileController = applications->appFileController;
    std::function<PMAppNodeList()> &appRecordSource = applications->appRecordSource;

Q_SIGNALS:
    void statusItemActivated();
    void appScanFinished();     // a refresh or inventory ended
    void appFileRowsFinished(); // the application file sheet shows its rows
};

} // namespace vellumry
