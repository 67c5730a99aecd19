// Help, about and preferences, and the login item.
#include "app/PreferencesController.h"

#include "app/MainWindow.h"
#include "app/PreferencesWindow.h"
#include "platform/HelpPages.h"
#include "platform/LoginItems.h"
#include "platform/Preferences.h"
#include "platform/Settings.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
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

LoginItems ownLoginItems() { return LoginItems(LoginItems::runningExecutable()); }

} // namespace

PreferencesController::PreferencesController(MainWindow *window, Settings &settings, DesktopServices &desktop,
                                             std::function<void(const QString &)> report, QObject *parent)
    : QObject(parent), m_window(window), m_settings(settings), m_desktop(desktop), m_report(std::move(report)),
      m_preferences(new PreferencesWindow(window)), m_about(new AboutWindow(window))
{
    m_about->versionLabel->setText(
        tr("Version %1 (Qt %2)").arg(QStringLiteral(VELLUMRY_VERSION), QString::fromLatin1(qVersion())));
    // The check box applies at once; the threshold when its field is left and when the window closes.
    connect(m_preferences->autoLunchBtn, &QCheckBox::clicked, this, &PreferencesController::applyLoginItem);
    connect(m_preferences->batchPreviewBtn, &QCheckBox::clicked, this, &PreferencesController::applyBatchPreview);
    connect(m_preferences->usedCountlab, &QLineEdit::editingFinished, this, &PreferencesController::save);
    connect(m_preferences, &PreferencesWindow::closing, this, &PreferencesController::save);
    connect(m_about->productPageButton, &QPushButton::clicked, this, &PreferencesController::showWebPage);
    connect(m_about->supportPageButton, &QPushButton::clicked, this, &PreferencesController::showHelp);
    // The threshold is read from the field, so the field holds the stored value from the start.
    readStored();
}

void PreferencesController::showWebPage() { showPage(u"Vellumry.html"_s); }

void PreferencesController::showHelp() { showPage(u"support.html"_s); }

void PreferencesController::showPage(const QString &page)
{
    const QUrl url = helpPageUrl(page);
    if (url.isEmpty())
        m_report(tr("The page %1 is not installed").arg(page));
    else if (!m_desktop.showUrl(url.toEncoded()).ok)
        m_report(tr("No web browser could open %1").arg(url.toDisplayString()));
}

void PreferencesController::showPreferences()
{
    if (!m_preferences->isVisible())
        readStored();
    showInPlace(m_preferences, m_window);
}

void PreferencesController::showAbout() { showInPlace(m_about, m_window); }

void PreferencesController::applyLoginItem()
{
    QCheckBox *box = m_preferences->autoLunchBtn;
    const bool ticked = box->isChecked();
    const ActionResult result = applyLoginPreference(ownLoginItems(), m_settings, ticked);
    QLabel *message = m_preferences->loginMessageLabel;
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

void PreferencesController::applyBatchPreview()
{
    m_settings.setValue(kShowBatchPreviewKey.toString(), m_preferences->batchPreviewBtn->isChecked());
    if (!m_settings.synchronize())
        m_report(tr("The preferences cannot be saved to %1").arg(m_settings.filePath()));
}

bool PreferencesController::showsBatchPreview(const Settings &settings)
{
    const QString key = kShowBatchPreviewKey.toString();
    return !settings.value(key).isValid() || settings.boolean(key);
}

void PreferencesController::save()
{
    applyLoginItem();
    m_settings.setValue(kUsedNumKey.toString(), m_preferences->usedCountlab->text());
    m_settings.synchronize();
}

int PreferencesController::usedCountThreshold() const { return leadingInt32(m_preferences->usedCountlab->text()); }

void PreferencesController::readStored()
{
    m_preferences->autoLunchBtn->setChecked(m_settings.string(kAutoLoginKey.toString()) == u"YES"_s);
    m_preferences->usedCountlab->setText(storedUsedNum(m_settings));
    m_preferences->batchPreviewBtn->setChecked(showsBatchPreview(m_settings));
    m_preferences->loginMessageLabel->hide();
}

} // namespace vellumry
