// The controller's applications half: it builds the applications page and the tray box, and ties them to
// the window's status line and to each other.
#include "app/AppDelegate.h"

#include "app/MainWindow.h"

namespace vellumry {

void AppDelegate::setUpAppBox()
{
    box->setUp(*m_services.settings, m_services.nc, *m_services.desktop, [this] { return getUsedAppCountSetting(); },
               window->appBoxBtn);
}

void AppDelegate::setupApplications()
{
    applications->setUp(window, *m_services.settings, m_services.nc, *m_services.desktop,
                        [this](QWidget *sheet) { positionSheet(sheet); });
    connect(applications, &ApplicationsController::appScanFinished, this, &AppDelegate::appScanFinished);
    connect(applications, &ApplicationsController::appFileRowsFinished, this, &AppDelegate::appFileRowsFinished);
    connect(applications, &ApplicationsController::refreshStarted, box, &AppBoxPresenter::freshView);
    connect(applications, &ApplicationsController::openWithChanged, this, [this](const QString &summary) {
        m_actionStatus = summary;
        updateStatus();
    });
    connect(applications, &ApplicationsController::statusItemActivated, this, &AppDelegate::statusItemActivated);
    connect(this, &AppDelegate::statusItemActivated, this, [this] { ClickStateBanner(); });
}

} // namespace vellumry
