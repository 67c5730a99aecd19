// The applications page, its sorts and its open-with editor (the grant, ticking, handing extensions to
// another application through the panel, Cancel, a choice that names no application), and the tray box
// with its popover, driven as a user drives them.
#include "app/LaunchedApp.h"
#include "app/MainWindow.h"
#include "appmanager/AppBoxStore.h"
#include "appmanager/ui/AppFileSheet.h"
#include "appmanager/ui/AppTableModel.h"
#include "appmanager/ui/ApplicationsPage.h"
#include "appmanager/ui/PPopoverviewConterller.h"
#include "appmanager/ui/PSTableCellView.h"
#include "appmanager/ui/SHTableCellView.h"
#include "defaultapps/DesktopFixture.h"
#include "defaultapps/OpenWith.h"
#include "defaultapps/ui/ConnectUserSheet.h"
#include "platform/NativePath.h"
#include "views/ui/PRButton.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTest>

#include <memory>
#include <thread>

using namespace vellumry;
using namespace vellumry::test;
using namespace Qt::StringLiterals;

namespace {

QStringList shownNames(const AppDelegate &app)
{
    QStringList names;
    for (int row = 0; row < app.appController->rowCount(); ++row)
        names << app.appController->index(row, AppTableModel::NameColumn).data().toString();
    return names;
}

PMAppNodeRef record(const QString &name, int count = 0, bool x64 = false)
{
    auto node = PMAppNodeRef::create();
    node->setAppName(name);
    node->setAppPath(u"/nowhere/"_s + name);
    node->setUsedCount(count);
    node->setB64bit(x64);
    return node;
}

const QDateTime kNow = QDateTime(QDate(2024, 3, 1), QTime(12, 0), Qt::UTC);

// A box in a temporary home holding two desktop entries and a program, dated long before the test's "now",
// with doubles for the desktop.
struct Fixture
{
    TempHome home;
    Settings settings{Settings::defaultFilePath()};
    NotificationCenter nc;
    FakeDesktop desktop;
    QStringList paths;
    std::unique_ptr<PPopoverviewConterller> box;

    Fixture()
    {
        for (const QString &name : {u"calc.desktop"_s, u"edit.desktop"_s, u"tool"_s}) {
            QFile file(home.home() + u'/' + name);
            const char *text = name.endsWith(u".desktop"_s) ? "[Desktop Entry]\nType=Application\nName=N\nExec=true\n" : "#!/bin/sh\n";
            if (!file.open(QIODevice::WriteOnly) || file.write(text) < 0 ||
                !file.flush() || !file.setPermissions(file.permissions() | QFile::ExeOwner) ||
                !file.setFileTime(kNow.addYears(-1), QFileDevice::FileModificationTime))
                qFatal("cannot write the fixture");
            paths.append(file.fileName());
        }
        AppBoxStore::appendPaths(settings, paths);
        PPopoverviewConterller::Services services;
        services.settings = &settings;
        services.nc = &nc;
        services.usedCountThreshold = [] { return 5; };
        services.lastUsed = [](const QString &path) {
            return path.endsWith(u"calc.desktop"_s) ? kNow.addSecs(-3600) : QDateTime();
        };
        services.now = [] { return kNow; };
        box = std::make_unique<PPopoverviewConterller>(services, desktop);
        box->restoreFromDefaults();
        box->resize(400, 480);
        box->show();
        QApplication::setActiveWindow(box.get());
        box->imageBrowserView->setFocus();
    }
    void select(int row) { box->imageBrowserView->setCurrentIndex(box->gridModel->index(row)); }
};

const QByteArray kMimeapps =
    "[Default Applications]\nimage/gif=oldapp.desktop\nimage/vnd.microsoft.icon=oldapp.desktop\n"
    "image/png=oldapp.desktop\nimage/webp=oldapp.desktop\nimage/x-xcf=oldapp.desktop\n"
    "\n[Added Associations]\nx-scheme-handler/x-test=viewer.desktop;\n";

} // namespace

class TestAppPage : public QObject
{
    Q_OBJECT
    std::unique_ptr<DesktopFixture> desk;
    // The open-with editor's tests share one program in a home with desktop entries and a mimeapps.list.
    std::unique_ptr<LaunchedApp> launched; // in the fixture's home
    AppDelegate *shared = nullptr;

    QFileDialog *panel() const { return shared->applications->openHomePanel.data(); }
    AppFileSheet *sheet() const { return shared->AppFileWindow; }
    void choose(const QString &path)
    {
        QVERIFY(panel() && panel()->isVisible());
        panel()->selectFile(path);
        static_cast<QDialog *>(panel())->accept(); // as the panel's Choose button does
    }
    // The table's row of an application, -1 when it has none.
    int rowOf(const QString &fileName) const
    {
        for (int row = 0; row < shared->appController->rowCount(); ++row)
            if (shared->appController->nodeAt(row)->appName() == fileName)
                return row;
        return -1;
    }
    QStringList shownExtensions(const QString &name) const
    {
        const int row = rowOf(name);
        return row < 0 ? QStringList() : shared->appController->nodeAt(row)->fileChildren();
    }
    // Clicks the application's related button in the table; when the sheet opens, waits for its rows.
    void openSheetFor(const QString &name)
    {
        const int row = rowOf(name);
        QVERIFY(row >= 0);
        QSignalSpy rows(shared, &AppDelegate::appFileRowsFinished);
        shared->appsPage->cellAt(row)->relatedBtn()->click();
        if (sheet()->isVisible())
            QVERIFY(rows.count() > 0 || rows.wait(10000));
    }
    void tick(int row)
    {
        auto *box = sheet()->cellAt(row, AppFileListModel::NameColumn)->relatedBtn();
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(4, box->height() / 2));
    }

private Q_SLOTS:
    void initTestCase()
    {
        desk = std::make_unique<DesktopFixture>();
        desk->writeMimeapps(kMimeapps);
        launched = std::make_unique<LaunchedApp>(true, true, false);
        shared = &launched->launch();
        // The first look at the page lists the default applications with their extensions.
        QVERIFY(launched->refreshed([&] { shared->appTabs->setCurrentWidget(shared->appsPage); }));
        QCOMPARE(shownExtensions(u"oldapp.desktop"_s), (QStringList{u"GIF"_s, u"ICO"_s, u"PNG"_s, u"WEBP"_s, u"XCF"_s}));
        QCOMPARE(shared->appController->index(rowOf(u"oldapp.desktop"_s), AppTableModel::DateColumn).data().toString(),
                 u"GIF, ICO, PNG, WEBP, XCF"_s);
    }

    // Without a grant, or with a granted folder that has gone, the grant sheet comes first; Cancel there or in
    // its panel stores nothing and shows nothing; once granted, straight to the sheet of that application.
    void grantIsAskedOnceAndStored()
    {
        const QString gone = desk->home.root() + u"/granted"_s;
        QVERIFY(QDir().mkpath(gone));
        storeUserFolderGrant(launched->settings, gone);
        QVERIFY(QDir(gone).removeRecursively());
        openSheetFor(u"oldapp.desktop"_s);
        QVERIFY(shared->connectUserWindow->isVisible() && !sheet()->isVisible());
        shared->connectUserWindow->cancelButton->click();
        QVERIFY(!shared->connectUserWindow->isVisible());
        launched->settings.remove(kUserDataGrantKey);

        openSheetFor(u"oldapp.desktop"_s);
        QVERIFY(shared->connectUserWindow->isVisible() && !sheet()->isVisible());
        shared->connectUserWindow->connectButton->click();
        QVERIFY(!shared->connectUserWindow->isVisible() && panel());
        panel()->reject();
        QVERIFY(launched->settings.string(kUserDataGrantKey).isEmpty() && !sheet()->isVisible());

        openSheetFor(u"oldapp.desktop"_s);
        QSignalSpy rows(shared, &AppDelegate::appFileRowsFinished);
        shared->connectUserWindow->connectButton->click();
        choose(desk->home.home());
        QCOMPARE(launched->stored(kUserDataGrantKey), desk->home.home()); // written through at once
        QVERIFY(sheet()->isVisible() && (rows.count() > 0 || rows.wait(10000)));
        QCOMPARE(shared->appFileController->rowCount(), 5);
        sheet()->closeButton->click();
        QVERIFY(!sheet()->isVisible() && shared->appFileController->rowCount() == 0);

        shared->connectUserWindow->hide();
        openSheetFor(u"oldapp.desktop"_s);
        QVERIFY(!shared->connectUserWindow->isVisible() && sheet()->isVisible());
        shared->CloseAppFileWindow();
    }

    // Ticking two of five and choosing another application moves exactly those two, and the table, listed
    // again, shows them under it. The ticks live in the rows, so the table making its cells again loses none.
    void handsTheTickedExtensionsToTheChosenApplication()
    {
        openSheetFor(u"oldapp.desktop"_s);
        QVERIFY(sheet()->isVisible());
        tick(1); // ICO
        tick(3); // WEBP
        tick(4);
        tick(4);                                                               // XCF on and off again
        shared->appFileController->setContent(shared->appFileController->content()); // new cells for every row

        QSignalSpy refreshed(shared, &AppDelegate::appScanFinished);
        sheet()->changeButton->click();
        choose(desk->systemApps() + u"/newapp.desktop"_s);
        QVERIFY(!sheet()->isVisible() && refreshed.wait(30000));
        QCOMPARE(shownExtensions(u"newapp.desktop"_s), (QStringList{u"ICO"_s, u"WEBP"_s}));
        QCOMPARE(shownExtensions(u"oldapp.desktop"_s), (QStringList{u"GIF"_s, u"PNG"_s, u"XCF"_s}));
        QVERIFY(shared->statusText().startsWith(u"ICO, WEBP now open with newapp.desktop"_s));
        QVERIFY(desk->mimeapps().contains("x-scheme-handler/x-test=viewer.desktop;"));
        // The sheet lists the clicked application's extensions only, without rows left from another; Escape
        // closes it and empties it.
        openSheetFor(u"newapp.desktop"_s);
        QCOMPARE(shared->appFileController->rowCount(), 2);
        QCOMPARE(sheet()->cellAt(1, AppFileListModel::NameColumn)->relatedBtn()->text(), u"WEBP"_s);
        QVERIFY(!sheet()->cellAt(2, AppFileListModel::NameColumn));
        QTest::keyClick(sheet(), Qt::Key_Escape);
        QVERIFY(!sheet()->isVisible() && shared->appFileController->rowCount() == 0);
    }

    // Cancel in the panel changes nothing, yet the list is refreshed and the sheet closed; a chosen file
    // that names no application changes nothing and says so, leaving the sheet open.
    void cancelAndUnknownApplicationChangeNothing()
    {
        const QByteArray before = desk->mimeapps();
        openSheetFor(u"oldapp.desktop"_s);
        tick(0);
        tick(1);
        QSignalSpy refreshed(shared, &AppDelegate::appScanFinished);
        sheet()->changeButton->click();
        panel()->reject();
        QVERIFY(!sheet()->isVisible() && refreshed.wait(30000));
        QCOMPARE(desk->mimeapps(), before);

        openSheetFor(u"oldapp.desktop"_s);
        tick(0);
        sheet()->changeButton->click();
        choose(desk->home.root() + u"/elsewhere/unknown.desktop"_s);
        QVERIFY(sheet()->isVisible() && sheet()->messageLabel->isVisible() && !shared->isAppScanRunning());
        QVERIFY(sheet()->messageLabel->text().contains(u"unknown.desktop"_s));
        QCOMPARE(refreshed.count(), 1);
        QCOMPARE(desk->mimeapps(), before);
        sheet()->closeButton->click();
        QVERIFY(!sheet()->isVisible() && !sheet()->messageLabel->isVisible());
    }

    // The page's two lists: the refresh (first look, Default Applications) from its record source, the
    // inventory (Installed Applications) from the desktop entries; each replaces what was shown. The sorts
    // reorder what is shown without scanning; closing during a refresh neither hangs nor touches what is gone.
    // Before all that, the tray: its image follows the look, and the box shows as a popover or comes forward.
    void pageListsSortsTrayAndCloses()
    {
        LaunchedApp run;
        const QString apps = run.home().dataHome() + u"/applications"_s;
        QImage red(16, 16, QImage::Format_ARGB32);
        red.fill(Qt::red);
        const QString iconFile = run.home().root() + u"/red.png"_s;
        QVERIFY(red.save(iconFile));
        DesktopFixture::writeEntry(apps + u"/b.desktop"_s, u"b"_s, "Icon=" + iconFile.toUtf8());
        DesktopFixture::writeEntry(apps + u"/a.desktop"_s, u"a"_s);
        DesktopFixture::writeEntry(apps + u"/_z.desktop"_s, u"z"_s, "Icon=no-such-icon-anywhere");
        DesktopFixture::writeEntry(apps + u"/helper.desktop"_s, u"Helper"_s, "NoDisplay=true");
        AppDelegate &app = run.launch();
        // The window's box button and the tray item show the box as a popover that a click elsewhere closes;
        // the banner brings the detached box forward.
        for (const QString &style : {u"Dark"_s, QString()}) {
            run.desktop.style = style;
            app.CheckDarkTimer_hander();
            QCOMPARE(app.statusItemImageName(), style.isEmpty() ? u"bannerIcon.png"_s : u"darkbannerIcon.png"_s);
        }
        QCOMPARE(app.window->appBoxBtn->isVisible(), !QSystemTrayIcon::isSystemTrayAvailable());

        QTest::mouseClick(app.window->appBoxBtn, Qt::LeftButton);
        QPointer<QWidget> popover = app.thePopover;
        QVERIFY(popover && popover->isVisible() && popover->windowFlags().testFlag(Qt::Popup));
        QCOMPARE(app.thePopViewController->window(), popover.data());
        popover->hide(); // as a click elsewhere does
        QTRY_VERIFY(!popover);
        QVERIFY(app.thePopViewController && !app.thePopViewController->parentWidget());

        Q_EMIT app.statusItemActivated();
        QVERIFY(app.thePopover && app.thePopover->isVisible());
        QTest::mouseClick(app.thePopViewController->detachBtn, Qt::LeftButton);
        QTRY_VERIFY(!app.thePopover && app.popAttachWindow->isVisible());
        QCOMPARE(app.thePopViewController->window(), app.detachableWindowForPopover());
        app.ClickStateBanner(); // the detached box comes forward instead of a second popover
        QVERIFY(!app.thePopover);

        QAbstractItemModelTester tester(app.appController, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(!app.SortButton->isVisibleTo(app.window)); // nothing to sort before the first scan
        app.appRecordSource = [] {
            return PMAppNodeList{record(u"apple"_s, 1), record(u"_Tool"_s, 9, true), record(u"Zebra"_s, 4, true)};
        };
        QVERIFY(run.refreshed([&] { app.appTabs->setCurrentWidget(app.appsPage); }));
        QCOMPARE(shownNames(app), (QStringList{u"apple"_s, u"_Tool"_s, u"Zebra"_s}));

        // Installed Applications asked for during a refresh runs once it has ended; menus' names are shown,
        // the NoDisplay entry only when hidden entries are asked for.
        QVERIFY(run.refreshed([&] {
            app.StartScanAppInformation();
            app.scanAllApplicationFolder();
        }));
        QCOMPARE(shownNames(app), (QStringList{u"z"_s, u"a"_s, u"b"_s}));
        app.applications->showHiddenAction->trigger();
        QCOMPARE(shownNames(app), (QStringList{u"z"_s, u"a"_s, u"b"_s, u"Helper"_s}));
        app.applications->showHiddenAction->trigger();
        const auto data = [&](int row, int column, int role) { return app.appController->index(row, column).data(role); };
        QVERIFY(data(0, AppTableModel::MDateColumn, Qt::ToolTipRole).toString().startsWith(u"Used 0 times, last "_s));
        QVERIFY(!app.scanProgressor->isVisibleTo(app.window) && app.SortButton->isVisibleTo(app.window));
        const auto image = [](const QIcon &icon) { return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32); };
        const auto icon = [&](int row) { return image(data(row, AppTableModel::NameColumn, Qt::DecorationRole).value<QIcon>()); };
        QCOMPARE(icon(0), image(QIcon(u":/images/fileimage.png"_s)));
        QCOMPARE(icon(2).pixelColor(8, 8), QColor(Qt::red));
        for (int row = 0; row < 3; ++row)
            QCOMPARE(app.appsPage->cellAt(row)->appNode(), app.appController->nodeAt(row));

        // Two refreshes asked for at once give one list, not two appended; the box reloads with each.
        QSignalSpy started(app.applications, &ApplicationsController::refreshStarted);
        QVERIFY(run.refreshed([&] {
            app.StartScanAppInformation();
            app.StartScanAppInformation();
        }));
        QVERIFY(app.appController->rowCount() == 3 && app.fileNadeArray.size() == 3 && started.size() == 2);
        const PMAppNodeList scanned = app.fileNadeArray;
        const std::pair<void (AppDelegate::*)(), QStringList> sorts[] = {
            {&AppDelegate::SortAllAppArrayAppNameAction, {u"_Tool"_s, u"apple"_s, u"Zebra"_s}},
            {&AppDelegate::SortAllAppArrayRecentUsedCountAction, {u"_Tool"_s, u"Zebra"_s, u"apple"_s}},
            {&AppDelegate::SortAllAppArrayFrom32to64Action, {u"apple"_s, u"_Tool"_s, u"Zebra"_s}},
        };
        for (const auto &[sort, expected] : sorts) {
            app.appTableview->selectRow(1);
            (app.*sort)();
            QCOMPARE(shownNames(app), expected);
            QVERIFY(!app.appTableview->selectionModel()->hasSelection() && !app.isAppScanRunning());
            QCOMPARE(app.fileNadeArray, scanned);
        }

        app.appRecordSource = [] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            return PMAppNodeList{record(u"Late"_s)};
        };
        app.StartScanAppInformation();
        QVERIFY(app.isAppScanRunning());
        run.app.reset();
    }

    // Opening starts only what the box still accepts; a failure of the desktop is said, not swallowed.
    void restoredBoxOpensRevealsRemovesAndAdds()
    {
        Fixture f;
        QCOMPARE(f.box->gridModel->rowCount(), 3);
        QCOMPARE(f.box->gridModel->index(0).data().toString(), u"calc"_s);
        QCOMPARE(f.box->gridModel->index(0).data(AppBoxGridModel::SubtitleRole).toString(), u"N"_s);
        f.select(2);
        QTest::keyClick(f.box->imageBrowserView, Qt::Key_Return);
        QCOMPARE(f.desktop.launched, QByteArrayList{toNativePath(f.paths[2])});
        QVERIFY(QFile::setPermissions(f.paths[2], QFile::ReadOwner)); // no longer runnable
        f.box->OpenAppsAction();
        QVERIFY(f.desktop.launched.size() == 1 && f.box->statusText().contains(u"not executable"_s));
        f.desktop.succeed = false;
        f.box->ShowAppsInFinderAction();
        QCOMPARE(f.desktop.revealed, QByteArrayList{toNativePath(f.paths[2])});
        QVERIFY(f.box->statusText().contains(u"refused by the test"_s));

        // Removing and adding keep the stored list.
        f.select(0);
        QTest::keyClick(f.box->imageBrowserView, Qt::Key_Delete);
        QCOMPARE(f.box->gridModel->rowCount(), 2);
        QCOMPARE(AppBoxStore::storedPaths(f.settings), f.paths.mid(1));

        const QString text = f.home.home() + u"/notes.txt"_s;
        QFile(text).open(QIODevice::WriteOnly);
        f.box->addChosenApplications({f.paths[0], text});
        QCOMPARE(f.box->gridModel->rowCount(), 3);
        QCOMPARE(AppBoxStore::storedPaths(f.settings), f.paths.mid(1) << f.paths[0]);
        QVERIFY(f.box->statusText().contains(u"notes.txt (not executable)"_s));

        f.box->AddMoreAppsAction();
        QFileDialog *panel = f.box->theOpenPanel;
        QVERIFY(panel && panel->isVisible());
        QCOMPARE(QDir(panel->directory()).canonicalPath(), QDir(f.home.home()).canonicalPath());
        panel->selectFile(f.paths[1]);
        QMetaObject::invokeMethod(panel, "accept");
        QVERIFY(f.box->gridModel->rowCount() == 4 && AppBoxStore::storedPaths(f.settings).size() == 4);
        // The closed panel goes (saving its state) while the test's home is still there.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    // The context menu's Remove takes the record right-clicked, even when a search result replaced the grid
    // between the click and the choice: never the one now at that row.
    void removalTakesTheClickedRecord_data()
    {
        QTest::addColumn<int>("clicked");
        QTest::addColumn<QString>("search");
        QTest::newRow("another now at the row") << 0 << u"edit"_s;
        QTest::newRow("the record moved up") << 2 << u"tool"_s;
        QTest::newRow("the record no longer shown") << 0 << u"tool"_s;
    }
    void removalTakesTheClickedRecord()
    {
        QFETCH(int, clicked);
        QFETCH(QString, search);
        Fixture f;
        f.select(clicked); // as the right click does
        f.box->imageBrowserCellWasRightClickedAtIndex(clicked, f.box->mapToGlobal(QPoint(10, 10)));
        QTRY_VERIFY(f.box->AppMenu->isVisible());
        f.box->thesearchField->setText(search);
        QTRY_COMPARE(f.box->gridModel->rowCount(), 1); // the search's result reached the grid
        QMenu *menu = f.box->AppMenu;
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(menu->actions().at(2)).center()); // Remove
        QCOMPARE(AppBoxStore::storedPaths(f.settings), f.paths.mid(0, clicked) + f.paths.mid(clicked + 1));
        QCOMPARE(f.box->gridModel->rowCount(), f.paths[clicked].contains(search) ? 0 : 1);
    }

    // The manage table shows the desktop's record of the last use, not the file date; the narrowing orders
    // reload the grid; the menus open from their button and the cells, not from another button's press or
    // the placeholder.
    void manageTableNarrowingAndMenus()
    {
        Fixture f;
        QTest::mouseClick(f.box->manageBtn, Qt::LeftButton);
        QVERIFY(f.box->isManageViewShown() && f.box->accessAppView->isHidden());
        QCOMPARE(f.box->manageAppTableView->rowCount(), 3);
        const auto *cell = qobject_cast<PSAppNameCellView *>(f.box->manageAppTableView->cellWidget(0, 0));
        QCOMPARE(cell->appNamelab->text(), u"Last Used: 1 hours(s) ago"_s); // the desktop's record, not the file date
        QVERIFY(!f.box->tableViewForTableColumnRow(u"Other"_s, 0));
        QVERIFY(!f.box->tableViewForTableColumnRow(u"AppName"_s, -1));
        QTest::mouseClick(f.box->backBtn, Qt::LeftButton);
        QVERIFY(!f.box->isManageViewShown() && f.box->accessAppView->isVisible());

        f.box->getAppItemArray()[1]->setUsedCount(5); // exactly the threshold: not shown
        f.box->getAppItemArray()[2]->setUsedCount(6);
        f.box->ArrageArrayByUsedCount();
        QCOMPARE(f.box->gridModel->rowCount(), 1);
        QCOMPARE(f.box->gridModel->index(0).data(AppBoxGridModel::PathRole).toString(), f.paths[2]);
        f.box->ArrageArrayByName();
        QCOMPARE(f.box->gridModel->rowCount(), 3);
        f.box->ArrageArrayByDate(); // only calc was used (an hour ago); the others carry old file dates
        QCOMPARE(f.box->gridModel->rowCount(), 1);
        f.box->ArrageArrayByName();
        f.box->thesearchField->setText(u"Ed"_s);
        QTRY_COMPARE(f.box->gridModel->rowCount(), 1);
        f.box->thesearchField->clear();
        QTRY_COMPARE(f.box->gridModel->rowCount(), 3);

        QTest::mouseClick(f.box->allAppBtn, Qt::LeftButton);
        QTRY_VERIFY(f.box->sortAppMenu->isVisible());
        f.box->sortAppMenu->hide();
        // Another left-tip button's press is not ours.
        PRLeftTipButton other(&f.nc);
        f.nc.post(Notification::LeftButtonMouseDown, &other);
        QVERIFY(!f.box->sortAppMenu->isVisible());

        f.select(0);
        f.box->imageBrowserCellWasRightClickedAtIndex(0, f.box->mapToGlobal(QPoint(10, 10)));
        QTRY_VERIFY(f.box->AppMenu->isVisible());
        f.box->AppMenu->hide();
        auto placeholder = PMAppNodeRef::create();
        placeholder->setAppName(u"Add Apps"_s);
        f.box->AddAppItemArray(placeholder);
        f.box->freshView();
        f.select(3);
        f.box->imageBrowserCellWasRightClickedAtIndex(3, f.box->mapToGlobal(QPoint(10, 10)));
        QVERIFY(!f.box->AppMenu->isVisible());
    }
};

QTEST_MAIN(TestAppPage)
#include "tst_apppage.moc"
