// The one controller: owns the lists, the scan engine, the windows and the timers, and carries out
// what the user asks for.
#pragma once

#include "model/FileLists.h"
#include "reorganise/MovePlanner.h"

#include <QObject>
#include <QPointer>
#include <QRect>
#include <atomic>
#include <functional>
#include <memory>

class QFileDialog;
class QMessageBox;
class QMimeData;
class QTimer;

namespace vellumry {

class FolderScanner;
class MainWindow;
class NotificationCenter;
class PPopoverviewConterller;
class RenameSheet;
class ClassifySheet;
class Settings;
class ShownListModel;
class StartWindow;
class ThumbnailLoader;

class AppDelegate : public QObject
{
    Q_OBJECT
public:
    // What the controller needs from the desktop, handed in so tests can give it a temporary home.
    struct Services
    {
        Settings *settings = nullptr;
        NotificationCenter *nc = nullptr;
        std::function<QString()> interfaceStyle;       // "Dark" or empty
        std::function<bool(const QByteArray &)> openFile; // open with the default application
        std::function<bool(const QByteArray &)> launchApplication; // start a box application; unset: the desktop's way
    };

    explicit AppDelegate(Services services, QObject *parent = nullptr);
    ~AppDelegate() override;

    static AppDelegate *GetAppControllor();

    // Builds the windows (as loading the interface does), then runs the launch sequence.
    void awakeFromNib();
    void applicationDidFinishLaunching();

    // Folder loading.
    void startScanCurrentFolder(const QString &path);
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
    QList<int> selectedRows() const; // of the visible view, ascending
    void MoveToleve1ParentFolderAction();
    void MoveToleve2ParentFolderAction();
    void MoveToleve3ParentFolderAction();
    void MoveToleve4ParentFolderAction();
    void MoveToCustomFolderAction();
    void openPanelDidEnd16(QFileDialog *panel, int returnCode);
    void MoveToRootFolderAction();
    void MoveDifferentFolderAction();
    bool isBatchRunning() const { return m_batch != nullptr; }
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
    QString showFilesImageName() const { return m_showFilesImage; }
    QString statusText() const;
    QPoint menuPointForButton(QWidget *button) const; // where a button's menu pops up, in screen coordinates

    // State the rest of the program reads.
    FileLists lists;
    QString currentSelectFolder;
    QString currentFileExten;
    bool isDarkMode = false;
    bool LoadFirstItem() const;
    FolderScanner *scanner() const { return m_scanner; }
    ShownListModel *FileListController = nullptr;
    MainWindow *window = nullptr;
    StartWindow *openFolderWindow = nullptr;
    RenameSheet *renameSheet = nullptr;
    ClassifySheet *classifySheet = nullptr;
    QTimer *detectTimer = nullptr;
    QPointer<QMessageBox> startupHint;
    QPointer<QFileDialog> openHomePanel;

    // The tray popover and its box of favourite applications.
    void setUpAppBox(); // creates the box's controller, restores the box and the main window's box button
    // Shows the popover under `sender` (under the pointer when null, as for the tray icon); when the box is
    // detached into its own window, brings that window forward instead.
    void ClickStateBanner(QWidget *sender = nullptr);
    void createPopover();
    void popoverDidClose();
    QWidget *detachableWindowForPopover();
    void detachPopover(); // moves the box from the popover into popAttachWindow
    PPopoverviewConterller *thePopViewController = nullptr;
    QPointer<QWidget> thePopover; // exists while shown
    QWidget *popAttachWindow = nullptr;

Q_SIGNALS:
    void scanFinished(); // no scan is running or queued any more
    void previewed(int row);
    void batchFinished();

private:
    void clearLists();
    void reloadShownList(const ItemList &list, bool allFiles);
    void applyLook(bool dark);
    void applyFeatureImages(bool dark);
    void setShowFilesImage(const QString &name);
    void showKind(const ItemList &list, int width, const QString &lightImage, const QString &darkImage);
    void placeShowFilesButton();
    void sortFiles(int order);
    bool eventFilter(QObject *watched, QEvent *event) override;
    void previewRow(int row);
    int lowestSelectedGridRow() const; // -1 when nothing is selected
    void openItem(const IKImageItem &item);
    void showOpenPanel(bool importing);
    void updateStatus();
    QList<MoveSource> selectedMoveSources(QList<IKImageItemRef> &items) const;
    void moveSelection(int removals, const QByteArray &folder, const QByteArray &showAfterwards);
    void runPlan(const Plan &plan, const QList<IKImageItemRef> &items, const QByteArray &showAfterwards);
    void onFilesAppended(qsizetype first, qsizetype count);
    void catchUpShownList();
    void onSelectFirstItem();

    Services m_services;
    FolderScanner *m_scanner = nullptr;
    ThumbnailLoader *m_thumbnails = nullptr;
    bool m_shownIsAllFiles = true;
    QString m_showFilesImage;
    bool m_stopped = false;
    QTimer *m_refreshTimer = nullptr;
    int m_showFilesWidth = 84;
    QString m_actionStatus;
    struct Batch
    {
        std::atomic<bool> cancelled{false};
        std::unique_ptr<MoveJournal> journal;
    };
    std::shared_ptr<Batch> m_batch; // the batch running now, if any // the outcome of the last per-file action, shown before the counts
};

} // namespace vellumry
