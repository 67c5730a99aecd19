// Help, about and preferences as the user reaches them: menus, the two windows, the login item.
#include "app/AppDelegate.h"
#include "app/MainWindow.h"
#include "app/PreferencesWindow.h"
#include "platform/LoginItems.h"
#include "platform/NotificationCenter.h"
#include "platform/Settings.h"
#include "support/TempHome.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QUrl>

#include <limits>

using namespace vellumry;
using namespace vellumry::test;
using namespace Qt::StringLiterals;

namespace {

QAction *actionWithShortcut(QWidget *window, const QKeySequence &keys)
{
    for (QAction *menu : window->findChild<QMenuBar *>()->actions()) {
        for (QAction *action : menu->menu()->actions()) {
            if (action->shortcut() == keys)
                return action;
        }
    }
    return nullptr;
}

} // namespace

class TestPreferences : public QObject
{
    Q_OBJECT
    std::unique_ptr<TempHome> home;
    std::unique_ptr<Settings> settings;
    NotificationCenter nc;
    QList<QUrl> opened;
    bool browserWorks = true;
    std::unique_ptr<AppDelegate> app;

    QString stored(const QString &key) const { return Settings(settings->filePath()).string(key); }

private Q_SLOTS:
    void initTestCase()
    {
        home = std::make_unique<TempHome>();
        settings = std::make_unique<Settings>(Settings::defaultFilePath());
        settings->setValue(u"FirstStartData"_s, u"YES"_s);
        settings->setValue(u"ExampleAlertSuppress"_s, true);
        settings->setValue(u"usedNum"_s, u"7"_s);
        settings->synchronize();
        AppDelegate::Services services;
        services.settings = settings.get();
        services.nc = &nc;
        services.interfaceStyle = [] { return QString(); };
        services.openUrl = [this](const QUrl &url) {
            opened.append(url);
            return browserWorks;
        };
        app = std::make_unique<AppDelegate>(services);
        app->awakeFromNib();
        app->applicationDidFinishLaunching();
    }
    void cleanupTestCase()
    {
        app.reset();
        settings.reset();
        home.reset();
    }

    // Shown from the menu and again: one window each, keeping its place, also after closing.
    void windowsShowOnceAndStayWhereTheyAre()
    {
        QAction *preferences = actionWithShortcut(app->window, QKeySequence(u"Ctrl+,"_s));
        QVERIFY(preferences);
        const std::pair<QWidget *, std::function<void()>> companions[] = {
            {app->perfereceWindow, [&] { preferences->trigger(); }},
            {app->aboutWindow, [&] { app->ClickShowAboutWindow(); }}};
        for (const auto &[companion, show] : companions) {
            show();
            QVERIFY(QTest::qWaitForWindowExposed(companion));
            const QPoint moved = companion->pos() + QPoint(37, 23);
            companion->move(moved);
            show();
            companion->close();
            show();
            QVERIFY(companion->isVisible());
            QCOMPARE(companion->pos(), moved);
            companion->close();
        }
        const auto windows = QApplication::topLevelWidgets();
        QCOMPARE(std::count_if(windows.begin(), windows.end(), [](QWidget *w) { return qobject_cast<PreferencesWindow *>(w); }), 1);
        QCOMPARE(std::count_if(windows.begin(), windows.end(), [](QWidget *w) { return qobject_cast<AboutWindow *>(w); }), 1);
    }

    // The window shows what is stored each time it opens; the box and the field are saved as set.
    void preferencesAreReadWhenShownAndSavedWhenChanged()
    {
        PreferencesWindow *window = app->perfereceWindow;
        const LoginItems items(LoginItems::runningExecutable());
        settings->setValue(u"BAutoLogin"_s, u"YES"_s);
        settings->remove(u"usedNum"_s);
        settings->synchronize();
        app->ClickShowPereferenceWindow();
        QCOMPARE(window->autoLunchBtn->isChecked(), true);
        QCOMPARE(window->usedCountlab->text(), u"10"_s);

        window->autoLunchBtn->click(); // untick: the entry goes, "NO" is on disk
        QCOMPARE(items.isEnabled(), false);
        QCOMPARE(stored(u"BAutoLogin"_s), u"NO"_s);
        window->autoLunchBtn->click();
        QVERIFY(items.isEnabled());
        QCOMPARE(stored(u"BAutoLogin"_s), u"YES"_s);

        window->usedCountlab->setText(u"12 apps"_s);
        window->closeButton->click();
        QVERIFY(!window->isVisible());
        QCOMPARE(stored(u"usedNum"_s), u"12 apps"_s);
        QCOMPARE(app->getUsedAppCountSetting(), 12);

        settings->setValue(u"BAutoLogin"_s, u"NO"_s);
        settings->synchronize();
        app->ClickShowPereferenceWindow();
        QCOMPARE(window->autoLunchBtn->isChecked(), false);
        QCOMPARE(window->usedCountlab->text(), u"12 apps"_s);
        window->close();
        QCOMPARE(items.isEnabled(), false);
    }

    void getUsedAppCountSetting_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("expected");
        constexpr int max = std::numeric_limits<int>::max(), min = std::numeric_limits<int>::min();
        QTest::newRow("number") << u"5"_s << 5;
        QTest::newRow("empty") << QString() << 0;
        QTest::newRow("letters") << u"abc"_s << 0;
        QTest::newRow("trailing letters") << u"12x"_s << 12;
        QTest::newRow("leading blanks") << u"  7"_s << 7;
        QTest::newRow("signs") << u"-3"_s << -3;
        QTest::newRow("plus") << u"+4"_s << 4;
        QTest::newRow("sign then blank") << u"- 5"_s << 0;
        QTest::newRow("largest") << u"2147483647"_s << max;
        QTest::newRow("one past the largest") << u"2147483648"_s << max;
        QTest::newRow("far too large") << u"000099999999999999999999999"_s << max;
        QTest::newRow("smallest") << u"-2147483648"_s << min;
        QTest::newRow("far too small") << u"-99999999999"_s << min;
        QTest::newRow("other digits") << u"\u0663"_s << 0;
    }
    void getUsedAppCountSetting()
    {
        QFETCH(QString, text);
        QFETCH(int, expected);
        app->perfereceWindow->usedCountlab->setText(text);
        QCOMPARE(app->getUsedAppCountSetting(), expected);
    }

    // F1 and the About window's buttons hand the shipped pages to the browser; a refusal is said.
    void pagesOpenInTheBrowser()
    {
        opened.clear();
        actionWithShortcut(app->window, QKeySequence(Qt::Key_F1))->trigger();
        app->aboutWindow->productPageButton->click();
        QCOMPARE(opened.size(), 2);
        for (const QUrl &url : opened)
            QVERIFY2(url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile(), qPrintable(url.toString()));
        QCOMPARE(opened[0].fileName(), u"support.html"_s);
        QCOMPARE(opened[1].fileName(), u"Vellumry.html"_s);

        browserWorks = false;
        app->Gethelp();
        QVERIFY(app->window->statusLabel->text().startsWith(u"No web browser could open"_s));
        browserWorks = true;
    }
};

QTEST_MAIN(TestPreferences)
#include "tst_preferences.moc"
