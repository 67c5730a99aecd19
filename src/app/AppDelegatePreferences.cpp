// The controller's help, about and preferences commands, and the login item.
#include "app/AppDelegate.h"

#include "app/MainWindow.h"
#include "app/PreferencesWindow.h"
#include "platform/HelpPages.h"
#include "platform/LoginItems.h"
#include "platform/Preferences.h"
#include "platform/Settings.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QUrl>

namespace vellumry {

using namespace Qt::StringLiterals;

namespace {

// Shows a companion window, centred on `over` the first time; a window already on screen stays where
// it is and is only brought to the front.
void showInPlace(QWidget *companion, QWidget *over)
{
    if (!companion->isVisible()) {
        if (!companion->property("vellumryPlaced").toBool()) {
            companion->adjustSize();
            companion->move(over->geometry().center() - companion->rect().center());
            companion->setProperty("vellumryPlaced", true);
        }
        companion->show();
    }
    companion->raise();
    companion->activateWindow();
}

// Opens one of the shipped pages in the browser; the text of what went wrong, or nothing.
QString openPage(const std::function<bool(const QUrl &)> &open, const QString &page)
{
    const QUrl url = helpPageUrl(page);
    if (url.isEmpty())
        return AppDelegate::tr("The page %1 is not installed").arg(page);
    if (!open || !open(url))
        return AppDelegate::tr("No web browser could open %1").arg(url.toDisplayString());
    return {};
}

LoginItems ownLoginItems()
{
    return LoginItems(LoginItems::runningExecutable());
}

} // namespace

void AppDelegate::setUpPreferences()
{
    perfereceWindow = new PreferencesWindow(window);
    aboutWindow = new AboutWindow(window);
    aboutWindow->versionLabel->setText(tr("Version %1 (Qt %2)").arg(QStringLiteral(VELLUMRY_VERSION), QString::fromLatin1(qVersion())));

    // The check box applies at once; the threshold when its field is left and when the window closes.
    connect(perfereceWindow->autoLunchBtn, &QCheckBox::clicked, this, &AppDelegate::ClickAppBoxOnLogin);
    connect(perfereceWindow->usedCountlab, &QLineEdit::editingFinished, this, &AppDelegate::ChangeAppSettings);
    connect(perfereceWindow, &PreferencesWindow::closing, this, &AppDelegate::ChangeAppSettings);
    connect(aboutWindow->productPageButton, &QPushButton::clicked, this, &AppDelegate::GoToVellumryAction);
    connect(aboutWindow->supportPageButton, &QPushButton::clicked, this, &AppDelegate::Gethelp);

    QMenu *settingsMenu = window->menuBar()->addMenu(tr("Se&ttings"));
    settingsMenu->addAction(tr("&Preferences…"), QKeySequence(Qt::CTRL | Qt::Key_Comma), this,
                            &AppDelegate::ClickShowPereferenceWindow)
        ->setStatusTip(tr("Start at login, and which applications the application box lists"));
    QMenu *helpMenu = window->menuBar()->addMenu(tr("&Help"));
    helpMenu->addAction(tr("Vellumry &Help"), QKeySequence(Qt::Key_F1), this, &AppDelegate::Gethelp)
        ->setStatusTip(tr("Open the help page in your web browser"));
    helpMenu->addAction(tr("Vellumry &Web Page"), this, &AppDelegate::GoToVellumryAction)
        ->setStatusTip(tr("Open Vellumry's page in your web browser"));
    helpMenu->addSeparator();
    helpMenu->addAction(tr("&About Vellumry"), this, &AppDelegate::ClickShowAboutWindow);
    for (QMenu *menu : {settingsMenu, helpMenu})
        menu->setToolTipsVisible(true);
    for (QAction *action : settingsMenu->actions() + helpMenu->actions())
        action->setToolTip(action->statusTip());

    // The threshold is read from the field, so the field holds the stored value from the start.
    readConfigfileInfo();
}

void AppDelegate::GoToVellumryAction()
{
    const QString problem = openPage(m_services.openUrl, u"Vellumry.html"_s);
    if (!problem.isEmpty()) {
        m_actionStatus = problem;
        updateStatus();
    }
}

void AppDelegate::Gethelp()
{
    const QString problem = openPage(m_services.openUrl, u"support.html"_s);
    if (!problem.isEmpty()) {
        m_actionStatus = problem;
        updateStatus();
    }
}

void AppDelegate::ClickShowPereferenceWindow()
{
    if (!perfereceWindow->isVisible())
        readConfigfileInfo();
    showInPlace(perfereceWindow, window);
}

void AppDelegate::ClickShowAboutWindow()
{
    showInPlace(aboutWindow, window);
}

void AppDelegate::ClickAppBoxOnLogin()
{
    QCheckBox *box = perfereceWindow->autoLunchBtn;
    const bool ticked = box->isChecked();
    const ActionResult result = applyLoginPreference(ownLoginItems(), *m_services.settings, ticked);
    QLabel *message = perfereceWindow->loginMessageLabel;
    if (result.ok) {
        message->hide();
        return;
    }
    // The box shows what is true, as the stored value does.
    box->setChecked(!ticked);
    message->setText((ticked ? tr("Could not add Vellumry to the programs started at login: %1")
                             : tr("Could not remove Vellumry from the programs started at login: %1"))
                         .arg(result.reason));
    message->show();
}

void AppDelegate::ChangeAppSettings()
{
    ClickAppBoxOnLogin();
    m_services.settings->setValue(kUsedNumKey.toString(), perfereceWindow->usedCountlab->text());
    m_services.settings->synchronize();
}

int AppDelegate::getUsedAppCountSetting() const
{
    return leadingInt32(perfereceWindow ? perfereceWindow->usedCountlab->text() : storedUsedNum(*m_services.settings));
}

ActionResult AppDelegate::addAppAsLoginItem()
{
    return ownLoginItems().add();
}

ActionResult AppDelegate::deleteAppFromLoginItem()
{
    return ownLoginItems().remove();
}

void AppDelegate::readConfigfileInfo()
{
    const Settings &settings = *m_services.settings;
    perfereceWindow->autoLunchBtn->setChecked(settings.string(kAutoLoginKey.toString()) == u"YES"_s);
    perfereceWindow->usedCountlab->setText(storedUsedNum(settings));
    perfereceWindow->loginMessageLabel->hide();
}

} // namespace vellumry
