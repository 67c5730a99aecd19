// The open-with editor driven as a user drives it from the applications table: the grant, ticking,
// handing extensions to another application through the panel, Cancel, and a choice that names no
// application.
#include "DesktopFixture.h"
#include "app/AppDelegate.h"
#include "appmanager/ui/AppFileSheet.h"
#include "appmanager/ui/AppTableModel.h"
#include "appmanager/ui/ApplicationsPage.h"
#include "appmanager/ui/PSTableCellView.h"
#include "appmanager/ui/SHTableCellView.h"
#include "defaultapps/OpenWith.h"
#include "defaultapps/ui/ConnectUserSheet.h"
#include "platform/NotificationCenter.h"
#include "platform/Settings.h"
#include "support/FakeDesktop.h"

#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTableView>
#include <QTest>

#include <memory>

using namespace vellumry;
using namespace vellumry::test;
using namespace Qt::StringLiterals;

namespace {

const QByteArray kMimeapps =
    "[Default Applications]\nimage/gif=oldapp.desktop\nimage/vnd.microsoft.icon=oldapp.desktop\n"
    "image/png=oldapp.desktop\nimage/webp=oldapp.desktop\nimage/x-xcf=oldapp.desktop\n"
    "\n[Added Associations]\nx-scheme-handler/x-test=viewer.desktop;\n";

} // namespace

class TestOpenWithEditor : public QObject
{
    Q_OBJECT
    std::unique_ptr<DesktopFixture> desk;
    std::unique_ptr<Settings> settings;
    NotificationCenter nc;
    FakeDesktop desktop;
    std::unique_ptr<AppDelegate> app;

    QFileDialog *panel() const { return app->applications->openHomePanel.data(); }
    AppFileSheet *sheet() const { return app->AppFileWindow; }
    void choose(const QString &path)
    {
        QVERIFY(panel() && panel()->isVisible());
        panel()->selectFile(path);
        static_cast<QDialog *>(panel())->accept(); // as the panel's Choose button does
    }
    // The table's row of an application, -1 when it has none.
    int rowOf(const QString &name) const
    {
        for (int row = 0; row < app->appController->rowCount(); ++row) {
            if (app->appController->nodeAt(row)->appName() == name)
                return row;
        }
        return -1;
    }
    QStringList shownExtensions(const QString &name) const
    {
        const int row = rowOf(name);
        return row < 0 ? QStringList() : app->appController->nodeAt(row)->fileChildren();
    }
    // Clicks the application's related button in the table; when the sheet opens, waits for its rows.
    void openSheetFor(const QString &name)
    {
        const int row = rowOf(name);
        QVERIFY(row >= 0);
        QSignalSpy rows(app.get(), &AppDelegate::appFileRowsFinished);
        app->appsPage->cellAt(row)->relatedBtn()->click();
        if (sheet()->isVisible())
            QVERIFY(rows.count() > 0 || rows.wait(10000));
    }
    void tick(int row)
    {
        SHTableCellView *cell = sheet()->cellAt(row, AppFileListModel::NameColumn);
        QVERIFY(cell);
        QTest::mouseClick(cell->relatedBtn(), Qt::LeftButton, {},
                          QPoint(4, cell->relatedBtn()->height() / 2));
    }

private Q_SLOTS:
    void initTestCase()
    {
        desk = std::make_unique<DesktopFixture>();
        desk->writeMimeapps(kMimeapps);
        settings = std::make_unique<Settings>(desk->home.configHome() + u"/Vellumry/Vellumry.conf"_s);
        settings->setValue(u"FirstStartData"_s, u"YES"_s);
        settings->setValue(u"ExampleAlertSuppress"_s, true);
        AppDelegate::Services services;
        services.settings = settings.get();
        services.nc = &nc;
        services.desktop = &desktop;
        app = std::make_unique<AppDelegate>(services);
        app->awakeFromNib();
        app->applicationDidFinishLaunching();
        // The first look at the page lists the default applications with their extensions.
        QSignalSpy finished(app.get(), &AppDelegate::appScanFinished);
        app->appTabs->setCurrentWidget(app->appsPage);
        QVERIFY(finished.wait(30000));
        QCOMPARE(shownExtensions(u"oldapp.desktop"_s),
                 (QStringList{u"GIF"_s, u"ICO"_s, u"PNG"_s, u"WEBP"_s, u"XCF"_s}));
        QCOMPARE(app->appController->index(rowOf(u"oldapp.desktop"_s), AppTableModel::DateColumn)
                     .data()
                     .toString(),
                 u"GIF, ICO, PNG, WEBP, XCF"_s);
    }
    void cleanupTestCase()
    {
        app.reset();
        settings.reset();
        desk.reset();
    }

    // Without a grant the grant sheet comes first; Cancel in its panel stores nothing and shows nothing.
    void grantIsAskedOnceAndStored()
    {
        openSheetFor(u"oldapp.desktop"_s);
        QVERIFY(app->connectUserWindow && app->connectUserWindow->isVisible());
        QVERIFY(!sheet()->isVisible());

        app->connectUserWindow->connectButton->click();
        QVERIFY(!app->connectUserWindow->isVisible());
        QVERIFY(panel());
        panel()->reject();
        QVERIFY(settings->string(kUserDataGrantKey).isEmpty());
        QVERIFY(!sheet()->isVisible());

        openSheetFor(u"oldapp.desktop"_s);
        QSignalSpy rows(app.get(), &AppDelegate::appFileRowsFinished);
        app->connectUserWindow->connectButton->click();
        choose(desk->home.home());
        QCOMPARE(settings->string(kUserDataGrantKey), desk->home.home());
        Settings onDisk(settings->filePath()); // written through at once
        QCOMPARE(onDisk.string(kUserDataGrantKey), desk->home.home());
        QVERIFY(sheet()->isVisible());
        QVERIFY(rows.count() > 0 || rows.wait(10000));
        QCOMPARE(app->appFileController->rowCount(), 5);
        sheet()->closeButton->click();
        QVERIFY(!sheet()->isVisible());
        QCOMPARE(app->appFileController->rowCount(), 0);

        // Granted: straight to the sheet.
        app->connectUserWindow->hide();
        openSheetFor(u"oldapp.desktop"_s);
        QVERIFY(!app->connectUserWindow->isVisible());
        QVERIFY(sheet()->isVisible());
        app->CloseAppFileWindow();
    }

    void vanishedFolderCountsAsNoGrant()
    {
        const QString gone = desk->home.root() + u"/granted"_s;
        QVERIFY(QDir().mkpath(gone));
        storeUserFolderGrant(*settings, gone);
        QVERIFY(QDir(gone).removeRecursively());
        openSheetFor(u"oldapp.desktop"_s);
        QVERIFY(app->connectUserWindow->isVisible());
        QVERIFY(!sheet()->isVisible());
        app->connectUserWindow->cancelButton->click();
        QVERIFY(!app->connectUserWindow->isVisible());
        storeUserFolderGrant(*settings, desk->home.home());
    }

    // Ticking two of five and choosing another application moves exactly those two, and the table, listed
    // again, shows them under it. The ticks live in the rows, so the table making its cells again loses none.
    void handsTheTickedExtensionsToTheChosenApplication()
    {
        openSheetFor(u"oldapp.desktop"_s);
        QVERIFY(sheet()->isVisible());
        QCOMPARE(tickedExtensions(app->appFileController->content()), QStringList());
        tick(1); // ICO
        tick(3); // WEBP
        tick(4);
        tick(4);                                                               // XCF on and off again
        app->appFileController->setContent(app->appFileController->content()); // new cells for every row
        QVERIFY(sheet()->cellAt(1, AppFileListModel::NameColumn)->relatedBtn()->isChecked());
        QVERIFY(!sheet()->cellAt(4, AppFileListModel::NameColumn)->relatedBtn()->isChecked());

        QSignalSpy refreshed(app.get(), &AppDelegate::appScanFinished);
        sheet()->changeButton->click();
        choose(desk->systemApps() + u"/newapp.desktop"_s);
        QVERIFY(!sheet()->isVisible());
        QVERIFY(refreshed.wait(30000));
        QCOMPARE(shownExtensions(u"newapp.desktop"_s), (QStringList{u"ICO"_s, u"WEBP"_s}));
        QCOMPARE(shownExtensions(u"oldapp.desktop"_s), (QStringList{u"GIF"_s, u"PNG"_s, u"XCF"_s}));
        QVERIFY(app->statusText().startsWith(u"ICO, WEBP now open with newapp.desktop"_s));
        QVERIFY(desk->mimeapps().contains("x-scheme-handler/x-test=viewer.desktop;"));
    }

    // Cancel in the panel changes nothing, yet the list is refreshed and the sheet closed; a chosen file
    // that names no application changes nothing and says so, leaving the sheet open.
    void cancelAndUnknownApplicationChangeNothing()
    {
        const QByteArray before = desk->mimeapps();
        openSheetFor(u"oldapp.desktop"_s);
        tick(0);
        tick(1);
        QSignalSpy refreshed(app.get(), &AppDelegate::appScanFinished);
        sheet()->changeButton->click();
        panel()->reject();
        QVERIFY(!sheet()->isVisible());
        QVERIFY(refreshed.wait(30000));
        QCOMPARE(desk->mimeapps(), before);

        openSheetFor(u"oldapp.desktop"_s);
        tick(0);
        sheet()->changeButton->click();
        choose(desk->home.root() + u"/elsewhere/unknown.desktop"_s);
        QVERIFY(sheet()->isVisible());
        QVERIFY(sheet()->messageLabel->isVisible());
        QVERIFY(sheet()->messageLabel->text().contains(u"unknown.desktop"_s));
        QVERIFY(!app->isAppScanRunning());
        QCOMPARE(refreshed.count(), 1);
        QCOMPARE(desk->mimeapps(), before);
        sheet()->closeButton->click();
        QVERIFY(!sheet()->isVisible());
        QVERIFY(!sheet()->messageLabel->isVisible());
    }
};

QTEST_MAIN(TestOpenWithEditor)
#include "tst_openwitheditor.moc"
