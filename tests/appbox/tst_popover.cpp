// The tray popover driven as a user drives it: the box restored, added to, opened, removed from, sorted,
// managed in its table, and shown, closed and detached from the main controller.
#include "app/AppDelegate.h"
#include "app/MainWindow.h"
#include "appmanager/AppBoxStore.h"
#include "appmanager/ui/PPopoverviewConterller.h"
#include "platform/NativePath.h"
#include "platform/NotificationCenter.h"
#include "platform/Settings.h"
#include "support/FakeDesktop.h"
#include "support/TempHome.h"
#include "views/ui/PRButton.h"

#include <QApplication>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QTableWidget>
#include <QTest>

using namespace vellumry;
using namespace vellumry::test;
using namespace Qt::StringLiterals;

namespace {

const QDateTime kNow = QDateTime(QDate(2024, 3, 1), QTime(12, 0), Qt::UTC);

// A box in a temporary home holding two desktop entries and a program, with doubles for the desktop.
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
            const QString path = home.home() + u'/' + name;
            QFile file(path);
            if (!file.open(QIODevice::WriteOnly))
                qFatal("cannot write the fixture");
            file.write(name.endsWith(u".desktop"_s) ? "[Desktop Entry]\nType=Application\nName=N\nExec=true\n"
                                                    : "#!/bin/sh\n");
            file.close();
            file.setPermissions(file.permissions() | QFile::ExeOwner);
            file.open(QIODevice::ReadWrite); // dated long before the test's "now"
            file.setFileTime(kNow.addYears(-1), QFileDevice::FileModificationTime);
            paths.append(path);
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

} // namespace

class TestPopover : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // Opening starts only what the box still accepts; a failure of the desktop is said, not swallowed.
    void restoredBoxOpensAndReveals()
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
        QCOMPARE(f.desktop.launched.size(), 1);
        QVERIFY(f.box->statusText().contains(u"not executable"_s));
        f.desktop.succeed = false;
        f.box->ShowAppsInFinderAction();
        QCOMPARE(f.desktop.revealed, QByteArrayList{toNativePath(f.paths[2])});
        QVERIFY(f.box->statusText().contains(u"refused by the test"_s));
    }

    void removeThenAddKeepTheStoredList()
    {
        Fixture f;
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
        QCOMPARE(f.box->gridModel->rowCount(), 4);
        QCOMPARE(AppBoxStore::storedPaths(f.settings).size(), 4);
        // The closed panel goes (saving its state) while the test's home is still there.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }

    void sortMenuAndContextMenu()
    {
        Fixture f;
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

    void narrowingOrdersReloadTheGrid()
    {
        Fixture f;
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
    }

    void manageTable()
    {
        Fixture f;
        f.box->getAppItemArray()[2]->setAppdocumentSizeStr(u"12 KB"_s);
        QTest::mouseClick(f.box->manageBtn, Qt::LeftButton);
        QVERIFY(f.box->isManageViewShown() && f.box->accessAppView->isHidden());
        QCOMPARE(f.box->manageAppTableView->rowCount(), 3);
        auto *cell = qobject_cast<PSAppNameCellView *>(f.box->manageAppTableView->cellWidget(0, 0));
        QVERIFY(cell);
        QCOMPARE(cell->appNamelab->text(), u"Last Used: 1 hours(s) ago"_s); // the desktop's record, not the file date
        const auto text = [&](int row, int column) {
            return qobject_cast<QLabel *>(f.box->manageAppTableView->cellWidget(row, column))->text();
        };
        QCOMPARE(text(2, 2), u"12 KB"_s);
        QCOMPARE(text(2, 3), u"Calculating"_s);
        QVERIFY(!f.box->tableViewForTableColumnRow(u"Other"_s, 0));
        QVERIFY(!f.box->tableViewForTableColumnRow(u"AppName"_s, -1));
        QTest::mouseClick(f.box->backBtn, Qt::LeftButton);
        QVERIFY(!f.box->isManageViewShown() && f.box->accessAppView->isVisible());
    }

    void controllerShowsClosesAndDetachesThePopover()
    {
        TempHome home;
        Settings settings(Settings::defaultFilePath());
        settings.setValue(u"FirstStartData"_s, u"YES"_s);
        settings.setValue(u"ExampleAlertSuppress"_s, true);
        NotificationCenter nc;
        AppDelegate::Services services;
        services.settings = &settings;
        services.nc = &nc;
        FakeDesktop desktop;
        services.desktop = &desktop;
        AppDelegate app(services);
        app.awakeFromNib();
        app.applicationDidFinishLaunching();
        QCOMPARE(app.window->appBoxBtn->isVisible(), !QSystemTrayIcon::isSystemTrayAvailable());

        QTest::mouseClick(app.window->appBoxBtn, Qt::LeftButton);
        QPointer<QWidget> popover = app.thePopover;
        QVERIFY(popover && popover->isVisible());
        QVERIFY(popover->windowFlags().testFlag(Qt::Popup));
        QCOMPARE(app.thePopViewController->window(), popover.data());
        popover->hide(); // as a click elsewhere does
        QTRY_VERIFY(!popover);
        QVERIFY(app.thePopViewController && !app.thePopViewController->parentWidget());

        app.ClickStateBanner();
        QVERIFY(app.thePopover && app.thePopover->isVisible());
        QTest::mouseClick(app.thePopViewController->detachBtn, Qt::LeftButton);
        QTRY_VERIFY(!app.thePopover);
        QVERIFY(app.popAttachWindow->isVisible());
        QCOMPARE(app.thePopViewController->window(), app.detachableWindowForPopover());
        app.ClickStateBanner(); // the detached box comes forward instead of a second popover
        QVERIFY(!app.thePopover);
    }
};

QTEST_MAIN(TestPopover)
#include "tst_popover.moc"
