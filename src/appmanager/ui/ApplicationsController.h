// The applications half of the main window: the applications page with its refresh, inventory and sorts,
// the tray item, the application file sheet and the open-with editor behind it.
#pragma once

#include "appmanager/PMAppNode.h"
#include "appmanager/PRUninstallFileNode.h"
#include "appmanager/AppSorting.h"
#include "platform/Background.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <optional>

class QAction;
class QFileDialog;
class QMainWindow;
class QMenu;
class QProgressBar;
class QPushButton;
class QSystemTrayIcon;
class QTabWidget;
class QTableView;
class QTimer;

namespace vellumry {

class AppFileListModel;
class AppFileSheet;
class AppTableModel;
class ApplicationsPage;
class ConnectUserSheet;
class DesktopServices;
class NotificationCenter;
class Settings;

// GUI thread only. The lists are built on the background pool into lists of their own and handed over
// here: fileNadeArray and fileExtenNadeArray change on this thread only. One refresh or inventory runs at
// a time; the list asked for last meanwhile (F5 or Shift+F5) runs once it has ended.
class ApplicationsController : public QObject
{
    Q_OBJECT
public:
    explicit ApplicationsController(QObject *parent = nullptr);
    ~ApplicationsController() override; // a list still being built is dropped

    // Builds the page (a tab beside the window's central widget), its menu, the sheet and the tray item.
    // `placeSheet` puts a shown sheet or panel in its place over the window. Everything handed in outlives
    // the controller.
    void setUp(QMainWindow *window, Settings &settings, NotificationCenter *nc, DesktopServices &desktop,
               std::function<void(QWidget *)> placeSheet);

    // Both empty the table's list and fill it again off the GUI thread: the refresh with appRecordSource
    // (the default applications with their extensions), the inventory with the installed applications.
    void StartScanAppInformation();
    void scanAllApplicationFolder();
    bool isAppScanRunning() const { return m_listRunning; }
    void LoadTableViewOnMainThread();
    void ScanFinsihOnMainThread();
    void CheckDarkTimer_hander(); // applies the look to the tray image, the page and the sheets when it changed
    void SortAppAction();
    QPoint sortMenuPoint() const; // where the sort menu pops up, in screen coordinates
    void SortAllAppArrayFrom32to64Action() { sortApps(AppSortOrder::Architecture); }
    void SortAllAppArrayRecentUsedCountAction() { sortApps(AppSortOrder::UsedCount); }
    void SortAllAppArrayLastUsedDateAction() { sortApps(AppSortOrder::LastUsedDate); }
    void SortAllAppArrayAppNameAction() { sortApps(AppSortOrder::ShownName); }
    // "Show hidden entries": the entries the desktop's menus leave out (NoDisplay, program missing) are
    // listed too, greyed, their reason in the tool tip.
    void setShowHiddenEntries(bool show);
    bool showsHiddenEntries() const { return m_showHidden; }
    QString statusItemImageName() const { return m_statusItemImage; }

    // The application file sheet: the rows of one application's extensions, built off the GUI thread.
    void StartScanApplicationHandle(QObject *note); // the note is a PMAppNodeNote
    void StartScanApplicationHandle(const PMAppNodeRef &node);
    void showAppFileWindowAndScan(); // once access is granted: the sheet with its rows being built
    void FinishAppFileItemonMainThread();
    void CloseAppFileWindow();

    // The open-with editor: the one-time grant of a folder that comes before the sheet, and handing the
    // ticked extensions of the sheet to another application. After a change (or Cancel) the table is
    // refreshed.
    void askForUserFolderGrant(); // shows connectUserWindow
    void clickConnectUserDataAction();
    void openPanelDidEnd3(QFileDialog *panel, int returnCode);
    void ChangeOenWithApplicationAction();
    void changePanelDidEnd(int returnCode, const QString &chosenPath, const QStringList &extensions);

    PMAppNodeList fileNadeArray;
    PRUninstallFileNodeList fileExtenNadeArray;
    PMAppNodeRef currentNode;
    QString userdatabookmarkFileURL; // the granted folder, from "KestrowUserData"
    QTabWidget *appTabs = nullptr;   // the files page and the applications page
    ApplicationsPage *appsPage = nullptr;
    AppTableModel *appController = nullptr;
    QTableView *appTableview = nullptr;
    QProgressBar *scanProgressor = nullptr;
    QPushButton *SortButton = nullptr;
    QMenu *sortAppToolMenu = nullptr;
    QAction *showHiddenAction = nullptr;
    AppFileSheet *AppFileWindow = nullptr;
    QTableView *appFileTableview = nullptr;
    AppFileListModel *appFileController = nullptr;
    QProgressBar *scanAppFileProgressor = nullptr;
    QSystemTrayIcon *_statusItem = nullptr; // only where the desktop has a tray
    QTimer *checkDarkTimer = nullptr;
    bool statusImageDarkMode = false; // the look last applied to the tray image
    QPointer<ConnectUserSheet> connectUserWindow;
    QPointer<QFileDialog> openHomePanel; // the grant's or the change's panel while shown
    // Where a refresh takes its records from (called off the GUI thread, so it may use only what it
    // captured): the open-with scan; unset: the installed applications.
    std::function<PMAppNodeList()> appRecordSource;
    // Shows the sheet that asks for access to a folder, when no usable grant is stored: askForUserFolderGrant.
    std::function<void()> showConnectUserWindow;

Q_SIGNALS:
    void statusItemActivated();
    void refreshStarted();                       // a refresh of the table began
    void appScanFinished();                      // a refresh or inventory ended
    void appFileRowsFinished();                  // the application file sheet shows its rows
    void openWithChanged(const QString &summary); // extensions were handed to another application

private:
    void startAppListThread(bool inventory);
    void appListThreadEnded();
    void sortApps(AppSortOrder order);
    // fileNadeArray as the table shows it: in the chosen order, the hidden entries left out unless asked for.
    PMAppNodeList shownRecords() const;
    void showRecords(); // the table shows shownRecords() afresh
    void updateEmptyHint(); // what an empty table says in place of rows
    void applyLook(bool force);
    bool isDark() const;

    QMainWindow *m_window = nullptr;
    Settings *m_settings = nullptr;
    DesktopServices *m_desktop = nullptr;
    std::function<void(QWidget *)> m_placeSheet;
    bool m_listRunning = false;
    std::optional<bool> m_pendingList; // asked for during a run: true the inventory, false the refresh
    std::optional<AppSortOrder> m_sortOrder; // chosen since the list was last filled
    bool m_showHidden = false;
    bool m_inventoryShown = false; // the table's list is the installed applications
    bool m_appsScannedOnce = false;
    Cancellation m_listCancellation;
    quint64 m_sheetBuild = 0; // moved on by every new or closed sheet: older rows are dropped
    QString m_statusItemImage;
};

} // namespace vellumry
