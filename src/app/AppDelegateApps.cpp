// The controller's applications half: the applications page, its refresh, inventory and sorts, the tray
// item and the application file sheet.
#include "app/AppDelegate.h"

#include "app/MainWindow.h"
#include "appmanager/AppInventory.h"
#include "appmanager/PMAppNodeNote.h"
#include "appmanager/ui/AppFileSheet.h"
#include "appmanager/ui/AppTableModel.h"
#include "appmanager/ui/ApplicationsPage.h"
#include "appmanager/ui/PPopoverviewConterller.h"
#include "defaultapps/OpenWith.h"
#include "platform/NotificationCenter.h"
#include "platform/Settings.h"

#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>

namespace vellumry {

using namespace Qt::StringLiterals;

void AppDelegate::setupApplications()
{
    m_appListThread = std::make_unique<BackgroundJob>(this);
    anAppScanThreader = std::make_unique<BackgroundJob>(this);

    // The applications page, beside the files.
    appsPage = new ApplicationsPage(m_services.nc);
    appController = new AppTableModel(this);
    appsPage->setModel(appController);
    appTableview = appsPage->appTableview;
    scanProgressor = appsPage->scanProgressor;
    SortButton = appsPage->SortButton;
    sortAppToolMenu = appsPage->sortAppToolMenu;
    QWidget *files = window->takeCentralWidget();
    appTabs = new QTabWidget(window);
    appTabs->setDocumentMode(true);
    appTabs->addTab(files, tr("Files"));
    appTabs->addTab(appsPage, tr("Applications"));
    appTabs->setTabToolTip(1, tr("The applications: which file extensions each opens, or how often and when "
                                 "each was used (Ctrl+4)"));
    window->setCentralWidget(appTabs);
    // Nothing fills the table before the page is first looked at.
    connect(appTabs, &QTabWidget::currentChanged, this, [this](int index) {
        if (appTabs->widget(index) == appsPage && !m_appsScannedOnce && !isAppScanRunning())
            StartScanAppInformation();
    });

    sortAppToolMenu->addAction(tr("Architecture (32-bit first)"), this,
                               &AppDelegate::SortAllAppArrayFrom32to64Action);
    sortAppToolMenu->addAction(tr("Use Count (most used first)"), this,
                               &AppDelegate::SortAllAppArrayRecentUsedCountAction);
    sortAppToolMenu->addAction(tr("Last Used (most recent first)"), this,
                               &AppDelegate::SortAllAppArrayLastUsedDateAction);
    sortAppToolMenu->addAction(tr("Name"), this, &AppDelegate::SortAllAppArrayAppNameAction);
    connect(SortButton, &QPushButton::clicked, this, &AppDelegate::SortAppAction);
    connect(appsPage->scanButton, &QPushButton::clicked, this, &AppDelegate::StartScanAppInformation);
    connect(appsPage->inventoryButton, &QPushButton::clicked, this, &AppDelegate::scanAllApplicationFolder);

    QMenu *menu = window->menuBar()->addMenu(tr("&Applications"));
    menu->addAction(tr("Show &Applications"), QKeySequence(Qt::CTRL | Qt::Key_4), this,
                    [this] { appTabs->setCurrentWidget(appsPage); });
    menu->addAction(tr("Show &Files"), QKeySequence(Qt::CTRL | Qt::Key_0), this,
                    [this] { appTabs->setCurrentIndex(0); });
    menu->addSeparator();
    menu->addAction(tr("&Default Applications"), QKeySequence(Qt::Key_F5), this, [this] {
        appTabs->setCurrentWidget(appsPage);
        StartScanAppInformation();
    });
    menu->addAction(tr("&Installed Applications"), QKeySequence(Qt::SHIFT | Qt::Key_F5), this, [this] {
        appTabs->setCurrentWidget(appsPage);
        scanAllApplicationFolder();
    });
    menu->addMenu(sortAppToolMenu);

    // The application file sheet.
    AppFileWindow = new AppFileSheet(window);
    appFileTableview = AppFileWindow->appFileTableview;
    appFileController = AppFileWindow->appFileController;
    scanAppFileProgressor = AppFileWindow->scanAppFileProgressor;
    connect(AppFileWindow->closeButton, &QPushButton::clicked, this, &AppDelegate::CloseAppFileWindow);
    connect(AppFileWindow->changeButton, &QPushButton::clicked, this,
            &AppDelegate::ChangeOenWithApplicationAction);
    connect(AppFileWindow, &QDialog::rejected, this, &AppDelegate::CloseAppFileWindow); // Esc
    m_services.nc->observe(Notification::StartScanApplication, this,
                           [this](QObject *note) { StartScanApplicationHandle(note); });
    // The table lists the default applications with their extensions; without a grant the sheet that
    // asks for one comes first.
    appRecordSource = &ScanOpenWithApplications;
    showConnectUserWindow = [this] { askForUserFolderGrant(); };

    // The tray item, where the desktop has a tray; its image follows the look.
    m_statusItemImage = u"bannerIcon.png"_s;
    if (QSystemTrayIcon::isSystemTrayAvailable()) {
        _statusItem = new QSystemTrayIcon(QIcon(u":/images/"_s + m_statusItemImage), this);
        _statusItem->setToolTip(tr("Vellumry"));
        connect(_statusItem, &QSystemTrayIcon::activated, this, [this] { Q_EMIT statusItemActivated(); });
        _statusItem->show();
    }
    connect(this, &AppDelegate::statusItemActivated, this, [this] { ClickStateBanner(); });
    checkDarkTimer = new QTimer(this);
    checkDarkTimer->setInterval(1000);
    connect(checkDarkTimer, &QTimer::timeout, this, &AppDelegate::CheckDarkTimer_hander);
    checkDarkTimer->start();
}

void AppDelegate::StartScanAppInformation()
{
    statusImageDarkMode = false; // the next check applies the tray image afresh
    scanProgressor->show();
    if (isAppScanRunning()) {
        // One refresh at a time writes the list: run again once this one has ended.
        m_appRescanPending = true;
        return;
    }
    startAppListThread(false);
    if (thePopViewController)
        thePopViewController->freshView();
    if (!checkDarkTimer->isActive())
        checkDarkTimer->start();
}

void AppDelegate::scanAllApplicationFolder()
{
    if (isAppScanRunning())
        return;
    scanProgressor->show();
    startAppListThread(true);
}

void AppDelegate::startAppListThread(bool inventory)
{
    appsPage->scanButton->setEnabled(false);
    appsPage->inventoryButton->setEnabled(false);
    // Either list replaces what the table showed: the default applications with their extensions, or
    // the installed ones with their use.
    m_appListThread->start(
        [this, source = inventory ? std::function<PMAppNodeList()>() : appRecordSource](BackgroundJob &job) {
            fileNadeArray.clear();
            InventoryHandBacks handBacks;
            handBacks.LoadTableViewOnMainThread = [this, &job] {
                job.performOnMainThreadAndWait([this] { LoadTableViewOnMainThread(); });
            };
            handBacks.ScanFinsihOnMainThread = [this, &job] {
                job.performOnMainThreadAndWait([this] { ScanFinsihOnMainThread(); });
            };
            if (source) {
                const PMAppNodeList records = source();
                if (job.cancelled())
                    return;
                fileNadeArray.append(records);
                handBacks.LoadTableViewOnMainThread();
                handBacks.ScanFinsihOnMainThread();
            } else {
                vellumry::scanAllApplicationFolder(fileNadeArray, handBacks, &job.cancelled());
            }
        },
        [this] { appListThreadEnded(); });
}

void AppDelegate::appListThreadEnded()
{
    m_appsScannedOnce = true;
    if (m_appRescanPending) {
        m_appRescanPending = false;
        startAppListThread(false);
        return;
    }
    // An inventory that found nothing hands nothing back: the indicator must not spin on.
    scanProgressor->hide();
    appsPage->scanButton->setEnabled(true);
    appsPage->inventoryButton->setEnabled(true);
    Q_EMIT appScanFinished();
}

void AppDelegate::LoadTableViewOnMainThread()
{
    appController->setContent(fileNadeArray);
    appTableview->clearSelection();
    appTableview->viewport()->update();
}

void AppDelegate::ScanFinsihOnMainThread()
{
    scanProgressor->hide();
    SortButton->show();
}

void AppDelegate::CheckDarkTimer_hander()
{
    const bool dark = m_services.interfaceStyle && m_services.interfaceStyle() == u"Dark"_s;
    if (dark == statusImageDarkMode)
        return;
    m_statusItemImage = dark ? u"darkbannerIcon.png"_s : u"bannerIcon.png"_s;
    if (_statusItem)
        _statusItem->setIcon(QIcon(u":/images/"_s + m_statusItemImage));
    statusImageDarkMode = dark;
}

QPoint AppDelegate::sortMenuPoint() const
{
    return SortButton->mapToGlobal(QPoint(0, SortButton->height())) + QPoint(0, 5);
}

void AppDelegate::SortAppAction()
{
    sortAppToolMenu->popup(sortMenuPoint());
}

void AppDelegate::sortApps(AppSortOrder order)
{
    const PMAppNodeList sorted = sortedApps(appController->content(), order);
    appController->setContent({});
    appController->setContent(sorted);
    appTableview->clearSelection();
    appTableview->viewport()->update();
}

void AppDelegate::SortAllAppArrayFrom32to64Action()
{
    sortApps(AppSortOrder::Architecture);
}

void AppDelegate::SortAllAppArrayRecentUsedCountAction()
{
    sortApps(AppSortOrder::UsedCount);
}

void AppDelegate::SortAllAppArrayLastUsedDateAction()
{
    sortApps(AppSortOrder::LastUsedDate);
}

void AppDelegate::SortAllAppArrayAppNameAction()
{
    sortApps(AppSortOrder::Name);
}

void AppDelegate::StartScanApplicationHandle(QObject *note)
{
    if (auto *carrier = qobject_cast<PMAppNodeNote *>(note))
        StartScanApplicationHandle(carrier->appNode());
}

void AppDelegate::StartScanApplicationHandle(const PMAppNodeRef &node)
{
    if (!node)
        return;
    anAppScanThreader->stop(); // a build still running for another record must not read the new one
    currentNode = node;
    // The grant is a folder; one that is gone or unreadable is no grant.
    userdatabookmarkFileURL = grantedUserFolder(*m_services.settings);
    if (!userdatabookmarkFileURL.isEmpty()) {
        showAppFileWindowAndScan();
    } else if (showConnectUserWindow) {
        showConnectUserWindow();
    } else {
        showAppFileWindowAndScan(); // no way to ask for a grant in this build: the sheet needs none
    }
}

void AppDelegate::showAppFileWindowAndScan()
{
    if (currentNode)
        AppFileWindow->setApplicationName(currentNode->appName());
    AppFileWindow->showMessage({});
    anAppScanThreader->start([this](BackgroundJob &) { AnAppScanhandlethreader(); });
    scanAppFileProgressor->show();
    if (!AppFileWindow->isVisible()) {
        AppFileWindow->open();
        positionSheet(AppFileWindow);
    }
}

void AppDelegate::AnAppScanhandlethreader()
{
    fileExtenNadeArray.clear();
    if (currentNode)
        fileExtenNadeArray = extensionRows(currentNode->fileChildren(), currentNode->appName());
    anAppScanThreader->performOnMainThreadAndWait([this] { FinishAppFileItemonMainThread(); });
}

void AppDelegate::FinishAppFileItemonMainThread()
{
    scanAppFileProgressor->hide();
    appFileController->setContent({});
    appFileController->setContent(fileExtenNadeArray);
    appFileTableview->clearSelection();
    appFileTableview->viewport()->update();
    Q_EMIT appFileRowsFinished();
}

void AppDelegate::CloseAppFileWindow()
{
    anAppScanThreader->stop(); // rows still being built would refill the closed sheet
    AppFileWindow->hide();
    AppFileWindow->showMessage({});
    scanAppFileProgressor->hide();
    appFileController->setContent({});
    appFileTableview->clearSelection();
    appFileTableview->viewport()->update();
}

} // namespace vellumry
