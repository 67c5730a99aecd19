// The open-with editor: the grant of a folder that comes before the application file sheet, and handing
// the ticked extensions of the sheet to another application.
#include "app/AppDelegate.h"

#include "app/MainWindow.h"
#include "appmanager/AppInventory.h"
#include "appmanager/ui/AppFileSheet.h"
#include "defaultapps/OpenWith.h"
#include "defaultapps/ui/ConnectUserSheet.h"
#include "platform/Settings.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QPushButton>
#include <QUrl>

namespace vellumry {

using namespace Qt::StringLiterals;

void AppDelegate::askForUserFolderGrant()
{
    if (!connectUserWindow) {
        connectUserWindow = new ConnectUserSheet(window);
        connect(connectUserWindow->connectButton, &QPushButton::clicked, this,
                &AppDelegate::clickConnectUserDataAction);
    }
    connectUserWindow->show();
    positionSheet(connectUserWindow);
}

void AppDelegate::clickConnectUserDataAction()
{
    if (connectUserWindow)
        connectUserWindow->hide();
    auto *panel = new QFileDialog(window, tr("Allow Access to a Folder"), QDir::homePath());
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
    positionSheet(panel);
}

void AppDelegate::openPanelDidEnd3(QFileDialog *panel, int returnCode)
{
    if (returnCode != 1)
        return;
    const QString chosen = panel->selectedFiles().value(0);
    if (!chosen.isEmpty() && QFileInfo(chosen).isDir())
        storeUserFolderGrant(*m_services.settings,
                             chosen); // one that cannot be stored is asked for next time
    userdatabookmarkFileURL = grantedUserFolder(*m_services.settings);
    showAppFileWindowAndScan();
}

void AppDelegate::ChangeOenWithApplicationAction()
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
    auto *panel =
        new QFileDialog(AppFileWindow, tr("Choose the Application"), start.isEmpty() ? u"/"_s : start);
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
    positionSheet(panel);
}

void AppDelegate::changePanelDidEnd(int returnCode, const QString &chosenPath, const QStringList &extensions)
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
        m_actionStatus = handOverSummary(handExtensionsTo(extensions, id), id);
        updateStatus();
    }
    StartScanAppInformation();
    CloseAppFileWindow();
}

} // namespace vellumry
