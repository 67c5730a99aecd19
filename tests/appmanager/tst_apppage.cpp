// The applications page, its sorts, the tray image and the application file sheet, driven as a user drives
// them.
#include "AppFixtures.h"

#include "app/AppDelegate.h"
#include "app/MainWindow.h"
#include "appmanager/ui/AppFileSheet.h"
#include "appmanager/ui/AppTableModel.h"
#include "appmanager/ui/ApplicationsPage.h"
#include "appmanager/ui/PSTableCellView.h"
#include "appmanager/ui/SHTableCellView.h"
#include "platform/NotificationCenter.h"
#include "platform/Settings.h"
#include "support/FakeDesktop.h"
#include "support/TempHome.h"

#include <QAbstractItemModelTester>
#include <QCheckBox>
#include <QImage>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include <thread>

using namespace vellumry;
using namespace vellumry::test;
using namespace Qt::StringLiterals;

namespace {

struct Launched
{
    TempHome home;
    Settings settings{home.configHome() + u"/Vellumry/Vellumry.conf"_s};
    NotificationCenter nc;
    FakeDesktop desktop;
    std::unique_ptr<AppDelegate> app;

    AppDelegate &launch()
    {
        settings.setValue(u"FirstStartData"_s, u"YES"_s);
        settings.setValue(u"ExampleAlertSuppress"_s, true);
        settings.synchronize();
        AppDelegate::Services services;
        services.settings = &settings;
        services.nc = &nc;
        services.desktop = &desktop;
        app = std::make_unique<AppDelegate>(services);
        app->awakeFromNib();
        app->applicationDidFinishLaunching();
        return *app;
    }
    // Starts a refresh (or lets `trigger` start one) and waits until it has ended.
    bool refreshed(const std::function<void()> &trigger)
    {
        QSignalSpy finished(app.get(), &AppDelegate::appScanFinished);
        trigger();
        return finished.wait(30000);
    }
    QStringList shownNames() const
    {
        QStringList names;
        for (int row = 0; row < app->appController->rowCount(); ++row)
            names << app->appController->index(row, AppTableModel::NameColumn).data().toString();
        return names;
    }
};

PMAppNodeRef record(const QString &name, const QStringList &extensions)
{
    auto node = PMAppNodeRef::create();
    node->setAppName(name);
    node->setAppPath(u"/nowhere/"_s + name);
    node->setFileChildren(extensions);
    return node;
}

QImage iconImage(const QIcon &icon)
{
    return icon.pixmap(16, 16).toImage().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class TestAppPage : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The page's two lists: the refresh (first look, Default Applications) from its record source, the
    // inventory (Installed Applications) from the desktop entries; each replaces what was shown.
    void pageFillsFromTheRefreshAndTheInventory()
    {
        Launched launched;
        const QString apps = launched.home.dataHome() + u"/applications"_s;
        QImage red(16, 16, QImage::Format_ARGB32);
        red.fill(Qt::red);
        const QString iconFile = launched.home.root() + u"/red.png"_s;
        QVERIFY(red.save(iconFile));
        writeEntry(apps, u"b.desktop"_s, u"Exec=/bin/true\nIcon="_s + iconFile);
        writeEntry(apps, u"a.desktop"_s, u"Exec=a"_s);
        writeEntry(apps, u"_z.desktop"_s, u"Exec=z\nIcon=no-such-icon-anywhere"_s);
        AppDelegate &app = launched.launch();
        QAbstractItemModelTester tester(app.appController,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QVERIFY(!app.SortButton->isVisibleTo(app.window)); // nothing to sort before the first scan
        app.appRecordSource = [] {
            return PMAppNodeList{record(u"Viewer"_s, {u"JPG"_s, u"PNG"_s}), record(u"Editor"_s, {})};
        };

        // Looking at the page the first time refreshes it.
        QVERIFY(launched.refreshed([&] { app.appTabs->setCurrentWidget(app.appsPage); }));
        QCOMPARE(launched.shownNames(), (QStringList{u"Viewer"_s, u"Editor"_s}));

        QVERIFY(launched.refreshed([&] { app.appsPage->inventoryButton->click(); }));
        QCOMPARE(launched.shownNames(), (QStringList{u"_z.desktop"_s, u"a.desktop"_s, u"b.desktop"_s}));
        QVERIFY(app.appController->index(0, AppTableModel::MDateColumn)
                    .data(Qt::ToolTipRole)
                    .toString()
                    .startsWith(u"Used 0 times, last "_s));
        QCOMPARE(app.fileNadeArray.size(), 3);
        QVERIFY(!app.scanProgressor->isVisibleTo(app.window));
        QVERIFY(app.SortButton->isVisibleTo(app.window));
        const QImage fallback = iconImage(QIcon(u":/images/fileimage.png"_s));
        const auto icon = [&](int row) {
            return iconImage(app.appController->index(row, AppTableModel::NameColumn)
                                 .data(Qt::DecorationRole)
                                 .value<QIcon>());
        };
        QCOMPARE(icon(0), fallback);
        QCOMPARE(icon(2).pixelColor(8, 8), QColor(Qt::red));
        for (int row = 0; row < 3; ++row)
            QCOMPARE(app.appsPage->cellAt(row)->appNode(), app.appController->nodeAt(row));

        // Two refreshes asked for at once give one list, not two appended.
        QVERIFY(launched.refreshed([&] {
            app.StartScanAppInformation();
            app.StartScanAppInformation();
        }));
        QCOMPARE(app.fileNadeArray.size(), 2);
        QCOMPARE(app.appController->rowCount(), 2);
    }

    void sortsReorderWithoutScanning()
    {
        Launched launched;
        AppDelegate &app = launched.launch();
        app.appRecordSource = [] {
            auto a = record(u"apple"_s, {}), t = record(u"_Tool"_s, {}), z = record(u"Zebra"_s, {});
            a->setUsedCount(1);
            t->setUsedCount(9);
            z->setUsedCount(4);
            z->setB64bit(true);
            t->setB64bit(true);
            return PMAppNodeList{a, t, z};
        };
        QVERIFY(launched.refreshed([&] { app.StartScanAppInformation(); }));
        const PMAppNodeList scanned = app.fileNadeArray;
        const struct
        {
            void (AppDelegate::*action)();
            QStringList expected;
        } sorts[] = {
            {&AppDelegate::SortAllAppArrayAppNameAction, {u"_Tool"_s, u"apple"_s, u"Zebra"_s}},
            {&AppDelegate::SortAllAppArrayRecentUsedCountAction, {u"_Tool"_s, u"Zebra"_s, u"apple"_s}},
            {&AppDelegate::SortAllAppArrayFrom32to64Action, {u"apple"_s, u"_Tool"_s, u"Zebra"_s}},
        };
        for (const auto &sort : sorts) {
            app.appTableview->selectRow(1);
            (app.*sort.action)();
            QCOMPARE(launched.shownNames(), sort.expected);
            QVERIFY(!app.appTableview->selectionModel()->hasSelection());
            QVERIFY(!app.isAppScanRunning());
            QCOMPARE(app.fileNadeArray, scanned);
        }
    }

    void trayImageFollowsTheLook()
    {
        Launched launched;
        AppDelegate &app = launched.launch();
        launched.desktop.style = u"Dark"_s;
        app.CheckDarkTimer_hander();
        QCOMPARE(app.statusItemImageName(), u"darkbannerIcon.png"_s);
        launched.desktop.style.clear();
        app.CheckDarkTimer_hander();
        QCOMPARE(app.statusItemImageName(), u"bannerIcon.png"_s);
        Q_EMIT app.statusItemActivated(); // activating the tray item shows the box
        QVERIFY(app.thePopover && app.thePopover->isVisible());
    }

    // With a granted folder the related button opens the sheet on that application's extensions only.
    void relatedButtonOpensTheFileSheet()
    {
        Launched launched;
        launched.settings.setValue(u"KestrowUserData"_s, launched.home.home());
        AppDelegate &app = launched.launch();
        app.appRecordSource = [] {
            return PMAppNodeList{record(u"Viewer"_s, {u"JPG"_s, u"PNG"_s}), record(u"Editor"_s, {u"TXT"_s})};
        };
        QVERIFY(launched.refreshed([&] { app.StartScanAppInformation(); }));
        QSignalSpy rows(&app, &AppDelegate::appFileRowsFinished);
        const auto extensions = [&] {
            QStringList names;
            for (int row = 0; row < app.appFileController->rowCount(); ++row)
                names << app.AppFileWindow->cellAt(row, AppFileListModel::NameColumn)->relatedBtn()->text();
            return names;
        };
        app.appsPage->cellAt(0)->relatedBtn()->click();
        QCOMPARE(app.currentNode, app.appController->nodeAt(0));
        QVERIFY(app.AppFileWindow->isVisible());
        QVERIFY(rows.wait(10000));
        QAbstractItemModelTester tester(app.appFileController,
                                        QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(extensions(), (QStringList{u"JPG"_s, u"PNG"_s}));
        QVERIFY(!app.AppFileWindow->cellAt(2, AppFileListModel::NameColumn));

        app.CloseAppFileWindow();
        QCOMPARE(app.appFileController->rowCount(), 0);
        app.appsPage->cellAt(1)->relatedBtn()->click();
        QVERIFY(rows.wait(10000));
        QCOMPARE(extensions(), QStringList{u"TXT"_s});
        QTest::keyClick(app.AppFileWindow, Qt::Key_Escape);
        QVERIFY(!app.AppFileWindow->isVisible());
        QCOMPARE(app.appFileController->rowCount(), 0);
    }

    void closingDuringARefreshStopsIt()
    {
        Launched launched;
        AppDelegate &app = launched.launch();
        app.appRecordSource = [] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            return PMAppNodeList{record(u"Late"_s, {})};
        };
        app.StartScanAppInformation();
        QVERIFY(app.isAppScanRunning());
        launched.app.reset(); // must neither hang nor touch what is gone
    }
};

QTEST_MAIN(TestAppPage)
#include "tst_apppage.moc"
