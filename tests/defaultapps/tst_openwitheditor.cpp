// The open-with editor driven as a user drives it: the grant, ticking, handing extensions to another
// application through the panel, Cancel, and a choice that names no application.
#include "DesktopFixture.h"
#include "app/AppDelegate.h"
#include "defaultapps/ui/OpenWithSheet.h"
#include "defaultapps/ui/SHTableCellView.h"
#include "platform/NotificationCenter.h"
#include "platform/Settings.h"

#include <QDir>
#include <QFileDialog>
#include <QFutureWatcher>
#include <QLabel>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include <memory>

using namespace vellumry;
using namespace vellumry::test;
using namespace Qt::StringLiterals;

namespace {

const QByteArray kMimeapps = "[Default Applications]\nimage/gif=oldapp.desktop\nimage/vnd.microsoft.icon=oldapp.desktop\n"
                             "image/png=oldapp.desktop\nimage/webp=oldapp.desktop\nimage/x-xcf=oldapp.desktop\n"
                             "\n[Added Associations]\nx-scheme-handler/x-test=viewer.desktop;\n";

PMAppNodeRef nodeNamed(const PMAppNodeList &nodes, const QString &name)
{
    for (const PMAppNodeRef &node : nodes) {
        if (node->appName() == name)
            return node;
    }
    return {};
}

} // namespace

class TestOpenWithEditor : public QObject
{
    Q_OBJECT
    std::unique_ptr<DesktopFixture> desk;
    std::unique_ptr<Settings> settings;
    NotificationCenter nc;
    std::unique_ptr<AppDelegate> app;
    int refreshes = 0;
    PMAppNodeList refreshed; // what the applications table would show after the last refresh

    QFileDialog *panel() const { return app->openHomePanel.data(); }
    void choose(const QString &path)
    {
        QVERIFY(panel() && panel()->isVisible());
        panel()->selectFile(path);
        static_cast<QDialog *>(panel())->accept(); // as the panel's Choose button does
    }
    void tick(int row)
    {
        SHTableCellView *cell = app->AppFileWindow->cellForRow(row);
        QVERIFY(cell);
        QTest::mouseClick(cell->relatedBtn(), Qt::LeftButton, {}, QPoint(4, cell->relatedBtn()->height() / 2));
    }
    PMAppNodeRef oldApp()
    {
        return nodeNamed(ScanOpenWithApplications(), u"oldapp.desktop"_s);
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
        services.interfaceStyle = [] { return QString(); };
        services.openFile = [](const QByteArray &) { return true; };
        app = std::make_unique<AppDelegate>(services);
        app->awakeFromNib();
        app->applicationDidFinishLaunching();
        // As the applications table does: scan again, off the GUI thread.
        app->refreshApplicationList = [this] {
            ++refreshes;
            QFutureWatcher<PMAppNodeList> watcher;
            QSignalSpy done(&watcher, &QFutureWatcher<PMAppNodeList>::finished);
            watcher.setFuture(ScanOpenWithApplicationsAsync());
            QVERIFY(done.wait(30000));
            refreshed = watcher.result();
        };
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
        const PMAppNodeRef node = oldApp();
        QVERIFY(node);
        app->showOpenWithEditor(node);
        QVERIFY(app->connectUserWindow && app->connectUserWindow->isVisible());
        QVERIFY(!app->AppFileWindow);

        app->connectUserWindow->connectButton->click();
        QVERIFY(!app->connectUserWindow->isVisible());
        QVERIFY(panel());
        panel()->reject();
        QVERIFY(settings->string(kUserDataGrantKey).isEmpty());
        QVERIFY(!app->AppFileWindow);

        app->showOpenWithEditor(node);
        app->connectUserWindow->connectButton->click();
        choose(desk->home.home());
        QCOMPARE(settings->string(kUserDataGrantKey), desk->home.home());
        Settings onDisk(settings->filePath()); // written through at once
        QCOMPARE(onDisk.string(kUserDataGrantKey), desk->home.home());
        QVERIFY(app->AppFileWindow && app->AppFileWindow->isVisible());
        QCOMPARE(app->AppFileWindow->appFileController->rowCount(), 5);
        app->AppFileWindow->cancelButton->click();
        QVERIFY(!app->AppFileWindow->isVisible());
        QCOMPARE(app->AppFileWindow->appFileController->rowCount(), 0);

        // Granted: straight to the sheet.
        app->connectUserWindow->hide();
        app->showOpenWithEditor(node);
        QVERIFY(!app->connectUserWindow->isVisible());
        QVERIFY(app->AppFileWindow->isVisible());
        app->CloseAppFileWindow();
    }

    void vanishedFolderCountsAsNoGrant()
    {
        const QString gone = desk->home.root() + u"/granted"_s;
        QVERIFY(QDir().mkpath(gone));
        storeUserFolderGrant(*settings, gone);
        QVERIFY(QDir(gone).removeRecursively());
        app->showOpenWithEditor(oldApp());
        QVERIFY(app->connectUserWindow->isVisible());
        QVERIFY(!app->AppFileWindow->isVisible());
        app->connectUserWindow->cancelButton->click();
        QVERIFY(!app->connectUserWindow->isVisible());
        storeUserFolderGrant(*settings, desk->home.home());
    }

    // Ticking two of five and choosing another application moves exactly those two. The ticks live in the
    // rows, so the table making its cells again loses none.
    void handsTheTickedExtensionsToTheChosenApplication()
    {
        app->showOpenWithEditor(oldApp());
        OpenWithSheet *sheet = app->AppFileWindow;
        QCOMPARE(tickedExtensions(sheet->appFileController->rows()), QStringList());
        tick(1); // ICO
        tick(3); // WEBP
        tick(4);
        tick(4); // XCF on and off again
        sheet->appFileController->setRows(sheet->appFileController->rows()); // new cells for every row
        QVERIFY(sheet->cellForRow(1)->relatedBtn()->isChecked());
        QVERIFY(!sheet->cellForRow(4)->relatedBtn()->isChecked());

        const int before = refreshes;
        sheet->changeButton->click();
        choose(desk->systemApps() + u"/newapp.desktop"_s);
        QCOMPARE(refreshes, before + 1);
        QVERIFY(!sheet->isVisible());
        QCOMPARE(nodeNamed(refreshed, u"newapp.desktop"_s)->fileChildren(), (QStringList{u"ICO"_s, u"WEBP"_s}));
        QCOMPARE(nodeNamed(refreshed, u"oldapp.desktop"_s)->fileChildren(),
                 (QStringList{u"GIF"_s, u"PNG"_s, u"XCF"_s}));
        QVERIFY(app->statusText().startsWith(u"ICO, WEBP now open with newapp.desktop"_s));
        QVERIFY(desk->mimeapps().contains("x-scheme-handler/x-test=viewer.desktop;"));
    }

    // Cancel in the panel changes nothing, yet the list is refreshed and the sheet closed; a chosen file
    // that names no application changes nothing and says so, leaving the sheet open.
    void cancelAndUnknownApplicationChangeNothing()
    {
        const QByteArray before = desk->mimeapps();
        app->showOpenWithEditor(oldApp());
        OpenWithSheet *sheet = app->AppFileWindow;
        tick(0);
        tick(1);
        const int refreshesBefore = refreshes;
        sheet->changeButton->click();
        panel()->reject();
        QCOMPARE(refreshes, refreshesBefore + 1);
        QVERIFY(!sheet->isVisible());
        QCOMPARE(desk->mimeapps(), before);

        app->showOpenWithEditor(oldApp());
        tick(0);
        sheet->changeButton->click();
        choose(desk->home.root() + u"/elsewhere/unknown.desktop"_s);
        QVERIFY(sheet->isVisible());
        QVERIFY(sheet->messageLabel->isVisible());
        QVERIFY(sheet->messageLabel->text().contains(u"unknown.desktop"_s));
        QCOMPARE(refreshes, refreshesBefore + 1);
        QCOMPARE(desk->mimeapps(), before);
        sheet->cancelButton->click();
        QVERIFY(!sheet->isVisible());
    }
};

QTEST_MAIN(TestOpenWithEditor)
#include "tst_openwitheditor.moc"
