// The open-with editor: the grant of a folder, the sheet of an application's extensions, and handing the
// ticked ones to another application.
#include "app/AppDelegate.h"

#include "app/MainWindow.h"
#include "defaultapps/ui/OpenWithSheet.h"
#include "platform/Settings.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QPushButton>
#include <QUrl>

namespace vellumry {

using namespace Qt::StringLiterals;

void AppDelegate::showOpenWithEditor(const PMAppNodeRef &node)
{
    if (!node)
        return;
    currentNode = node;
    userdatabookmarkFileURL = grantedUserFolder(*m_services.settings);
    if (userdatabookmarkFileURL.isEmpty()) {
        // No grant yet, or the granted folder is gone: ask for one first.
        if (!connectUserWindow) {
            connectUserWindow = new ConnectUserSheet(window);
            connect(connectUserWindow->connectButton, &QPushButton::clicked, this,
                    &AppDelegate::clickConnectUserDataAction);
        }
        connectUserWindow->show();
        positionSheet(connectUserWindow);
        return;
    }
    AnAppScanhandlethreader();
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
        storeUserFolderGrant(*m_services.settings, chosen); // one that cannot be stored is asked for next time
    userdatabookmarkFileURL = grantedUserFolder(*m_services.settings);
    AnAppScanhandlethreader();
}

void AppDelegate::AnAppScanhandlethreader()
{
    if (!currentNode)
        return;
    if (!AppFileWindow) {
        AppFileWindow = new OpenWithSheet(window);
        connect(AppFileWindow->changeButton, &QPushButton::clicked, this,
                &AppDelegate::ChangeOenWithApplicationAction);
        connect(AppFileWindow->cancelButton, &QPushButton::clicked, AppFileWindow.data(), &QDialog::reject);
        connect(AppFileWindow, &QDialog::rejected, this, &AppDelegate::CloseAppFileWindow);
    }
    // A few rows from the record in memory: made here at once rather than on a thread.
    fileExtenNadeArray = openWithRowsFor(*currentNode);
    AppFileWindow->showMessage({});
    AppFileWindow->setRows(currentNode->appName(), fileExtenNadeArray);
    AppFileWindow->show();
    positionSheet(AppFileWindow);
}

void AppDelegate::ChangeOenWithApplicationAction()
{
    if (!AppFileWindow)
        return;
    // The ticks are kept in the rows, so a cell the table made again has not lost its row's tick.
    const QStringList extensions = tickedExtensions(AppFileWindow->appFileController->rows());

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
    positionSheet(panel);
}

void AppDelegate::changePanelDidEnd(int returnCode, const QString &chosenPath, const QStringList &extensions)
{
    if (returnCode == 1) {
        const QString id = desktopIdForChosenFile(chosenPath);
        if (id.isEmpty()) {
            // Nothing valid to hand the extensions to: say so and leave the sheet open for another choice.
            const QString name = chosenPath.mid(chosenPath.lastIndexOf(u'/') + 1);
            if (AppFileWindow)
                AppFileWindow->showMessage(
                    name.isEmpty() ? tr("No application was chosen, so nothing changed.")
                                   : tr("“%1” is not an application installed for this desktop, so nothing "
                                        "changed. Choose another application, or Cancel.")
                                         .arg(name));
            return;
        }
        m_actionStatus = handOverSummary(handExtensionsTo(extensions, id), id);
        updateStatus();
    }
    if (refreshApplicationList)
        refreshApplicationList();
    CloseAppFileWindow();
}

void AppDelegate::CloseAppFileWindow()
{
    if (!AppFileWindow)
        return;
    AppFileWindow->hide();
    AppFileWindow->showMessage({});
    AppFileWindow->appFileController->setRows({});
}

} // namespace vellumry
