// The applications page, its lists and sorts, the tray item, the application file sheet and the open-with
// editor.
#include "appmanager/ui/ApplicationsController.h"

#include "appmanager/AppInventory.h"
#include "appmanager/PMAppNodeNote.h"
#include "appmanager/ui/AppFileSheet.h"
#include "appmanager/ui/AppTableModel.h"
#include "appmanager/ui/ApplicationsPage.h"
#include "defaultapps/OpenWith.h"
#include "defaultapps/ui/ConnectUserSheet.h"
#include "platform/DesktopServices.h"
#include "platform/NotificationCenter.h"
#include "platform/Settings.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QUrl>

namespace vellumry {

using namespace Qt::StringLiterals;

namespace {

// What a refresh or an inventory hands back: its records, and whether the table is to show them and the
// scan counts as finished (an inventory that found nothing does neither).
struct AppListResult
{
    PMAppNodeList records;
    bool loaded = false;
    bool finished = false;
};

} // namespace

ApplicationsController::ApplicationsController(QObject *parent) : QObject(parent) {}

ApplicationsController::~ApplicationsController()
{
    m_listCancellation.cancel();
}

void ApplicationsController::setUp(QMainWindow *window, Settings &settings, NotificationCenter *nc,
                                   DesktopServices &desktop, std::function<void(QWidget *)> placeSheet)
{
    m_window = window;
    m_settings = &settings;
    m_desktop = &desktop;
    m_placeSheet = std::move(placeSheet);

    // The applications page, beside the files.
    appsPage = new ApplicationsPage(nc);
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
                               &ApplicationsController::SortAllAppArrayFrom32to64Action);
    sortAppToolMenu->addAction(tr("Use Count (most used first)"), this,
                               &ApplicationsController::SortAllAppArrayRecentUsedCountAction);
    sortAppToolMenu->addAction(tr("Last Used (most recent first)"), this,
                               &ApplicationsController::SortAllAppArrayLastUsedDateAction);
    sortAppToolMenu->addAction(tr("Name"), this, &ApplicationsController::SortAllAppArrayAppNameAction);
    sortAppToolMenu->addSeparator();
    showHiddenAction = sortAppToolMenu->addAction(tr("Show hidden entries"));
    showHiddenAction->setCheckable(true);
    showHiddenAction->setToolTip(tr("Also list the installed entries the desktop's menus leave out (marked NoDisplay, "
                                    "or whose program is missing), greyed"));
    connect(showHiddenAction, &QAction::toggled, this, &ApplicationsController::setShowHiddenEntries);
    connect(SortButton, &QPushButton::clicked, this, &ApplicationsController::SortAppAction);
    connect(appsPage->scanButton, &QPushButton::clicked, this, &ApplicationsController::StartScanAppInformation);
    connect(appsPage->inventoryButton, &QPushButton::clicked, this,
            &ApplicationsController::scanAllApplicationFolder);

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
    connect(AppFileWindow->closeButton, &QPushButton::clicked, this, &ApplicationsController::CloseAppFileWindow);
    connect(AppFileWindow->changeButton, &QPushButton::clicked, this,
            &ApplicationsController::ChangeOenWithApplicationAction);
    connect(AppFileWindow, &QDialog::rejected, this, &ApplicationsController::CloseAppFileWindow); // Esc
    nc->observe(Notification::StartScanApplication, this,
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
        connect(_statusItem, &QSystemTrayIcon::activated, this, [this] {
            applyLook(true); // the image of the look the desktop has now, not a second later
            Q_EMIT statusItemActivated();
        });
        _statusItem->show();
    }
    checkDarkTimer = new QTimer(this);
    checkDarkTimer->setInterval(1000);
    connect(checkDarkTimer, &QTimer::timeout, this, &ApplicationsController::CheckDarkTimer_hander);
    checkDarkTimer->start();
    applyLook(true);
}

void ApplicationsController::StartScanAppInformation()
{
    scanProgressor->show();
    if (isAppScanRunning()) {
        // One list at a time replaces the table's: the one asked for last runs once this one has ended.
        m_pendingList = false;
        return;
    }
    startAppListThread(false);
    if (!checkDarkTimer->isActive())
        checkDarkTimer->start();
}

void ApplicationsController::scanAllApplicationFolder()
{
    scanProgressor->show();
    if (isAppScanRunning()) {
        m_pendingList = true;
        return;
    }
    startAppListThread(true);
}

void ApplicationsController::startAppListThread(bool inventory)
{
    m_listRunning = true;
    m_inventoryShown = inventory;
    appsPage->setEmptyHint({});
    if (!inventory)
        Q_EMIT refreshStarted(); // also when it was queued: the box reloads with it
    appsPage->scanButton->setEnabled(false);
    appsPage->inventoryButton->setEnabled(false);
    // Either list replaces what the table showed: the default applications with their extensions, or
    // the installed ones with their use.
    auto work = [source = inventory ? std::function<PMAppNodeList()>() : appRecordSource](
                    const Cancellation &cancellation) {
        AppListResult result;
        if (source) {
            result.records = source();
            for (const PMAppNodeRef &node : std::as_const(result.records))
                addMenuNameAndIcon(*node); // the names and icons of the desktop's menus
            result.loaded = result.finished = true;
            return result;
        }
        InventoryHandBacks handBacks;
        handBacks.LoadTableViewOnMainThread = [&result] { result.loaded = true; };
        handBacks.ScanFinsihOnMainThread = [&result] { result.finished = true; };
        vellumry::scanAllApplicationFolder(result.records, handBacks, cancellation.flag());
        return result;
    };
    m_listCancellation = runInBackground(this, std::move(work), [this](const AppListResult &result) {
        fileNadeArray = result.records;
        m_sortOrder.reset(); // a new list comes in its own order
        if (result.loaded)
            LoadTableViewOnMainThread();
        if (result.finished)
            ScanFinsihOnMainThread();
        appListThreadEnded();
    });
}

void ApplicationsController::appListThreadEnded()
{
    m_listRunning = false;
    m_appsScannedOnce = true;
    if (const std::optional<bool> next = std::exchange(m_pendingList, std::nullopt)) {
        startAppListThread(*next);
        return;
    }
    // An inventory that found nothing hands nothing back: the indicator must not spin on.
    scanProgressor->hide();
    appsPage->scanButton->setEnabled(true);
    appsPage->inventoryButton->setEnabled(true);
    updateEmptyHint();
    Q_EMIT appScanFinished();
}

void ApplicationsController::LoadTableViewOnMainThread()
{
    appController->setContent(shownRecords());
    appTableview->clearSelection();
    appTableview->viewport()->update();
}

PMAppNodeList ApplicationsController::shownRecords() const
{
    PMAppNodeList shown = m_sortOrder ? sortedApps(fileNadeArray, *m_sortOrder) : fileNadeArray;
    if (!m_showHidden)
        shown.removeIf([](const PMAppNodeRef &node) { return !node->hiddenReason().isEmpty(); });
    return shown;
}

void ApplicationsController::showRecords()
{
    appController->setContent({});
    appController->setContent(shownRecords());
    appTableview->clearSelection();
    appTableview->viewport()->update();
    if (!m_listRunning)
        updateEmptyHint();
}

void ApplicationsController::updateEmptyHint()
{
    QString hint;
    if (appController->rowCount() == 0 && !m_inventoryShown)
        hint = tr("No application opens a file extension by default on this desktop.\n"
                  "Installed Applications (Shift+F5) lists every installed application.");
    else if (appController->rowCount() == 0 && !fileNadeArray.isEmpty())
        hint = tr("Every installed entry is one the desktop's menus leave out.\nSort > Show hidden entries lists them.");
    else if (appController->rowCount() == 0)
        hint = tr("No installed application was found.");
    appsPage->setEmptyHint(hint);
}

void ApplicationsController::setShowHiddenEntries(bool show)
{
    if (showHiddenAction->isChecked() != show)
        showHiddenAction->setChecked(show); // comes back here through toggled
    if (m_showHidden == show)
        return;
    m_showHidden = show;
    showRecords();
}

void ApplicationsController::ScanFinsihOnMainThread()
{
    scanProgressor->hide();
    SortButton->show();
}

void ApplicationsController::CheckDarkTimer_hander()
{
    applyLook(false);
}

bool ApplicationsController::isDark() const
{
    return m_desktop->interfaceStyle() == u"Dark"_s;
}

void ApplicationsController::applyLook(bool force)
{
    const bool dark = isDark();
    if (dark == statusImageDarkMode && !force)
        return;
    m_statusItemImage = dark ? u"darkbannerIcon.png"_s : u"bannerIcon.png"_s;
    if (_statusItem)
        _statusItem->setIcon(QIcon(u":/images/"_s + m_statusItemImage));
    statusImageDarkMode = dark;
    appsPage->applyLook(dark);
    AppFileWindow->applyLook(dark);
    if (connectUserWindow)
        connectUserWindow->applyLook(dark);
}

QPoint ApplicationsController::sortMenuPoint() const
{
    return SortButton->mapToGlobal(QPoint(0, SortButton->height())) + QPoint(0, 5);
}

void ApplicationsController::SortAppAction()
{
    sortAppToolMenu->popup(sortMenuPoint());
}

void ApplicationsController::sortApps(AppSortOrder order)
{
    m_sortOrder = order;
    showRecords();
}

void ApplicationsController::StartScanApplicationHandle(QObject *note)
{
    if (auto *carrier = qobject_cast<PMAppNodeNote *>(note))
        StartScanApplicationHandle(carrier->appNode());
}

void ApplicationsController::StartScanApplicationHandle(const PMAppNodeRef &node)
{
    if (!node)
        return;
    ++m_sheetBuild; // rows still being built for another record must not fill the new sheet
    currentNode = node;
    // The grant is a folder; one that is gone or unreadable is no grant.
    userdatabookmarkFileURL = grantedUserFolder(*m_settings);
    if (!userdatabookmarkFileURL.isEmpty()) {
        showAppFileWindowAndScan();
    } else if (showConnectUserWindow) {
        showConnectUserWindow();
    } else {
        showAppFileWindowAndScan(); // no way to ask for a grant in this build: the sheet needs none
    }
}

void ApplicationsController::showAppFileWindowAndScan()
{
    if (currentNode)
        AppFileWindow->setApplicationName(currentNode->shownName(), appNodeIcon(*currentNode));
    AppFileWindow->applyLook(isDark());
    AppFileWindow->showMessage({});
    // The rows are built from copies taken here: the record itself stays on this thread.
    const QStringList extensions = currentNode ? currentNode->fileChildren() : QStringList();
    const QString name = currentNode ? currentNode->shownName() : QString();
    runInBackground(
        this, [extensions, name](const Cancellation &) { return extensionRows(extensions, name); },
        [this, build = ++m_sheetBuild](const PRUninstallFileNodeList &rows) {
            if (build != m_sheetBuild)
                return; // the sheet was closed or shows another record since
            fileExtenNadeArray = rows;
            FinishAppFileItemonMainThread();
        });
    scanAppFileProgressor->show();
    if (!AppFileWindow->isVisible()) {
        AppFileWindow->open();
        m_placeSheet(AppFileWindow);
    }
}

void ApplicationsController::FinishAppFileItemonMainThread()
{
    scanAppFileProgressor->hide();
    appFileController->setContent({});
    appFileController->setContent(fileExtenNadeArray);
    appFileTableview->clearSelection();
    appFileTableview->viewport()->update();
    Q_EMIT appFileRowsFinished();
}

void ApplicationsController::CloseAppFileWindow()
{
    ++m_sheetBuild; // rows still being built would refill the closed sheet
    AppFileWindow->hide();
    AppFileWindow->showMessage({});
    scanAppFileProgressor->hide();
    appFileController->setContent({});
    appFileTableview->clearSelection();
    appFileTableview->viewport()->update();
}

void ApplicationsController::askForUserFolderGrant()
{
    if (!connectUserWindow) {
        connectUserWindow = new ConnectUserSheet(m_window);
        connect(connectUserWindow->connectButton, &QPushButton::clicked, this,
                &ApplicationsController::clickConnectUserDataAction);
    }
    connectUserWindow->applyLook(isDark());
    connectUserWindow->show();
    m_placeSheet(connectUserWindow);
}

void ApplicationsController::clickConnectUserDataAction()
{
    if (connectUserWindow)
        connectUserWindow->hide();
    auto *panel = new QFileDialog(m_window, tr("Allow Access to a Folder"), QDir::homePath());
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setFileMode(QFileDialog::Directory);
    panel->setOption(QFileDialog::ShowDirsOnly);
    panel->setOption(QFileDialog::DontUseNativeDialog);
    panel->setWindowModality(Qt::WindowModal);
    panel->setLabelText(QFileDialog::Accept, tr("Allow"));
    connect(panel, &QFileDialog::finished, this,
            [this, panel](int result) { openPanelDidEnd3(panel, result == QDialog::Accepted ? 1 : 0); });
    openHomePanel = panel;
    panel->show();
    m_placeSheet(panel);
}

void ApplicationsController::openPanelDidEnd3(QFileDialog *panel, int returnCode)
{
    if (returnCode != 1)
        return;
    const QString chosen = panel->selectedFiles().value(0);
    if (!chosen.isEmpty() && QFileInfo(chosen).isDir())
        storeUserFolderGrant(*m_settings, chosen); // one that cannot be stored is asked for next time
    userdatabookmarkFileURL = grantedUserFolder(*m_settings);
    showAppFileWindowAndScan();
}

void ApplicationsController::ChangeOenWithApplicationAction()
{
    if (!AppFileWindow->isVisible())
        return;
    // The ticks are kept in the rows, so a cell the table made again has not lost its row's tick.
    const QStringList extensions = tickedExtensions(appFileController->content());

    QString start;
    QList<QUrl> places;
    for (const QString &folder : applicationFolders()) {
        if (!QFileInfo(folder).isDir())
            continue;
        places.append(QUrl::fromLocalFile(folder));
        if (start.isEmpty() || folder.startsWith(u"/usr/share"_s)) // the installed applications first
            start = folder;
    }
    auto *panel = new QFileDialog(AppFileWindow, tr("Choose the Application"), start.isEmpty() ? u"/"_s : start);
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setFileMode(QFileDialog::ExistingFile);
    panel->setNameFilter(tr("Applications (*.desktop)"));
    panel->setOption(QFileDialog::DontUseNativeDialog);
    panel->setSidebarUrls(places);
    panel->setWindowModality(Qt::WindowModal);
    panel->setLabelText(QFileDialog::Accept, tr("Choose"));
    connect(panel, &QFileDialog::finished, this, [this, panel, extensions](int result) {
        changePanelDidEnd(result == QDialog::Accepted ? 1 : 0, panel->selectedFiles().value(0), extensions);
    });
    openHomePanel = panel;
    panel->show();
    m_placeSheet(panel);
}

void ApplicationsController::changePanelDidEnd(int returnCode, const QString &chosenPath,
                                               const QStringList &extensions)
{
    if (returnCode == 1) {
        const QString id = desktopIdForChosenFile(chosenPath);
        if (id.isEmpty()) {
            // Nothing valid to hand the extensions to: say so and leave the sheet open for another choice.
            const QString name = chosenPath.mid(chosenPath.lastIndexOf(u'/') + 1);
            AppFileWindow->showMessage(name.isEmpty()
                                           ? tr("No application was chosen, so nothing changed.")
                                           : tr("“%1” is not an application installed for this desktop, so "
                                                "nothing changed. Choose another application, or Close.")
                                                 .arg(name));
            return;
        }
        Q_EMIT openWithChanged(handOverSummary(handExtensionsTo(extensions, id), id));
    }
    StartScanAppInformation();
    CloseAppFileWindow();
}

} // namespace vellumry
