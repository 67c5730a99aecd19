// The main window's widgets, laid out; the controller fills and drives them.
#pragma once

#include <QMainWindow>

#include <array>

class QAbstractItemModel;
class QAction;
class QLabel;
class QLineEdit;
class QMimeData;
class QMenu;
class QProgressBar;
class QPushButton;
class QSplitter;
class QTableView;
class QToolButton;

namespace vellumry {

class BackgroundImageView;
class NSDragImageBrowserView;
class NotificationCenter;
class PRButton;
class PreviewPane;

class MainWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit MainWindow(NotificationCenter *nc, QWidget *parent = nullptr);

    // Both file views show `model` (a ShownListModel); the table's columns get their widths.
    void setFileModel(QAbstractItemModel *model);

    // What the menus offer; the controller connects each action (Quit is connected here).
    enum Command
    {
        OpenFolder, ImportFolder, ClearLists, ClassifyMainFolder, // File
        UndoLastBatch, ShowHistory, // Edit
        AsIcons, AsList, AsFolders, SortByName, SortByKind, SortByDate, SortByPath, SortBySize, // View
        OpenSelection, ShowInFileManager, MoveToTrash, RenameSelection, // Selection
        CopySelection, CopySelectionPaths, // Selection: the clipboard
        ShowAllFiles, ShowImages, ShowVideos, ShowAudios, ShowDocuments, ShowArchives, ShowOthers, // showFilesMenu
        MoveUpOneLevel, MoveUpTwoLevels, MoveUpThreeLevels, MoveToFolder, MoveToMainFolder, // moveToMenu
        ShowPreferences, ShowHelp, ShowWebPage, ShowAbout, // Settings, Help
        CommandCount
    };
    QAction *action(Command command) const { return m_actions.at(command); }
    QAction *refreshAction = nullptr; // View > Refresh: the main folders scanned again
    // Selection > Find Duplicates and Select Copies (the duplicates view fills and connects them).
    QAction *findDuplicatesAction = nullptr;
    QMenu *selectCopiesMenu = nullptr;
    // The File, Edit, View and Selection menus of the menu bar, the show-files menu and the move-to menu.
    void buildMenus();
    // The Settings and Help menus, which close the menu bar: after every other menu was added.
    void buildClosingMenus();

    // The toolbar panel and the preview's panel.
    BackgroundImageView *groundFolderImageView;
    BackgroundImageView *groundImageView;
    // The file views: the grid in folderView, the table in folderListView, both in windowContentView.
    QWidget *windowContentView;
    QWidget *folderView;
    NSDragImageBrowserView *fodlerfileBroswerView;
    QWidget *folderListView;
    QTableView *fileListTableview;
    PreviewPane *previewPane;
    QSplitter *splitter;
    // Feature buttons.
    QPushButton *iconViewModeBtn;
    QPushButton *listViewModeBtn;
    QPushButton *folderViewModeBtn;
    QPushButton *renameFeatureBtn;
    QPushButton *classifyFeatureBtn;
    PRButton *movetoFeatureBtn;
    PRButton *showFilesButton;
    QMenu *showFilesMenu;
    QMenu *moveToMenu;
    // The quick filter: narrows the shown list to the items whose name (or location, with "/") matches.
    // Ctrl+F focuses it, Esc empties it, a printable key typed in a file view starts it.
    QLineEdit *filterField;
    QPushButton *appBoxBtn; // opens the box of favourite applications where the desktop has no tray
    // The status line.
    QLabel *statusLabel;
    QPushButton *stopButton;
    QProgressBar *loadItemProgressor;

Q_SIGNALS:
    void closeRequested();

protected:
    void closeEvent(QCloseEvent *event) override;
    // In the file views: Enter opens the selection, Delete trashes it, and the context menu offers both,
    // the file manager and the two copies.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    std::array<QAction *, CommandCount> m_actions{};
};

// The start window: an invitation to drop or open a main folder.
class StartWindow : public QWidget
{
    Q_OBJECT
public:
    explicit StartWindow(NotificationCenter *nc, QWidget *parent = nullptr);

    BackgroundImageView *openFolderImageView;
    QLabel *startInfo1lab;
    QLabel *startInfo2lab;
    QLabel *startInfo3lab;
    PRButton *openFolderButton;

Q_SIGNALS:
    void closeRequested();
    void filesDropped(const QMimeData *data);

protected:
    void closeEvent(QCloseEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;
};

} // namespace vellumry
