// The tray box on screen.
#include "appmanager/ui/AppBoxPresenter.h"

#include "appmanager/AppInventory.h"
#include "appmanager/ui/PPopoverviewConterller.h"

#include <QCursor>
#include <QFrame>
#include <QGuiApplication>
#include <QListView>
#include <QPushButton>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QVBoxLayout>

#include <algorithm>

namespace vellumry {

namespace {

// A frameless window that closes when the user clicks anywhere else, and says when it has closed.
class PopoverWindow : public QFrame
{
public:
    explicit PopoverWindow(std::function<void()> closed) : QFrame(nullptr, Qt::Popup), m_closed(std::move(closed))
    {
        setFrameShape(QFrame::StyledPanel);
        auto *layout = new QVBoxLayout(this);
        layout->setContentsMargins(1, 1, 1, 1);
    }

protected:
    void hideEvent(QHideEvent *event) override
    {
        QFrame::hideEvent(event);
        if (m_closed)
            std::exchange(m_closed, nullptr)();
    }

private:
    std::function<void()> m_closed;
};

} // namespace

AppBoxPresenter::AppBoxPresenter(QObject *parent) : QObject(parent) {}

AppBoxPresenter::~AppBoxPresenter()
{
    delete thePopViewController;
    delete thePopover.data();
    delete popAttachWindow;
}

void AppBoxPresenter::setUp(Settings &settings, NotificationCenter *nc, DesktopServices &desktop,
                            std::function<int()> usedCountThreshold, QPushButton *boxButton)
{
    PPopoverviewConterller::Services services;
    services.settings = &settings;
    services.nc = nc;
    services.usedCountThreshold = std::move(usedCountThreshold);
    // The box's use counts and last uses come from the desktop's record of recent use as the box's last
    // refresh read it; a record never used keeps the date it was given (its file's modification time).
    reloadRecentUse();
    services.usage = [this](const PMAppNode &node) {
        const RecentUseStore::Use use = useOf(node.appPath());
        return AppUsage{use.count, use.lastUsed.isValid() ? use.lastUsed : node.lastOpenDate()};
    };
    services.lastUsed = [this](const QString &path) { return useOf(path).lastUsed; };
    thePopViewController = new PPopoverviewConterller(services, desktop);
    thePopViewController->restoreFromDefaults();
    connect(thePopViewController, &PPopoverviewConterller::detachRequested, this, &AppBoxPresenter::detachPopover);

    popAttachWindow = new QWidget(nullptr, Qt::Window);
    popAttachWindow->setWindowTitle(tr("Application Box"));
    auto *layout = new QVBoxLayout(popAttachWindow);
    layout->setContentsMargins(0, 0, 0, 0);

    // Where the desktop shows no tray icons, the main window opens the box itself.
    boxButton->setVisible(!QSystemTrayIcon::isSystemTrayAvailable());
    connect(boxButton, &QPushButton::clicked, this, [this, boxButton] { ClickStateBanner(boxButton); });
}

void AppBoxPresenter::reloadRecentUse()
{
    m_uses = RecentUseStore::load();
    m_usesByPath.clear();
}

RecentUseStore::Use AppBoxPresenter::useOf(const QString &appPath)
{
    auto found = m_usesByPath.constFind(appPath);
    if (found == m_usesByPath.cend())
        found = m_usesByPath.insert(appPath, recentUseOf(appPath, m_uses));
    return *found;
}

void AppBoxPresenter::freshView()
{
    reloadRecentUse();
    if (thePopViewController)
        thePopViewController->freshView();
}

void AppBoxPresenter::createPopover()
{
    if (thePopover)
        return;
    auto *popover = new PopoverWindow([this] { popoverDidClose(); });
    popover->layout()->addWidget(thePopViewController);
    thePopViewController->show();
    thePopover = popover;
}

void AppBoxPresenter::ClickStateBanner(QWidget *sender)
{
    if (popAttachWindow->isVisible()) {
        popAttachWindow->raise();
        popAttachWindow->activateWindow();
        return;
    }
    createPopover();
    freshView();
    // The size the popover will have once shown: its layout settled first, or it grows past the screen.
    thePopover->ensurePolished();
    if (thePopover->layout())
        thePopover->layout()->activate();
    thePopover->adjustSize();

    // Below the anchor, kept on its screen; above it when there is no room below.
    const QRect anchor = sender ? QRect(sender->mapToGlobal(QPoint(0, 0)), sender->size())
                                : QRect(QCursor::pos(), QSize(1, 1));
    const QSize size = thePopover->size().expandedTo(thePopover->minimumSizeHint());
    QPoint place(anchor.center().x() - size.width() / 2, anchor.bottom() + 1);
    if (QScreen *screen = QGuiApplication::screenAt(anchor.center())) {
        const QRect area = screen->availableGeometry();
        if (place.y() + size.height() > area.bottom() && anchor.top() - size.height() >= area.top())
            place.setY(anchor.top() - size.height());
        place.setX(std::clamp(place.x(), area.left(), std::max(area.left(), area.right() + 1 - size.width())));
        place.setY(std::clamp(place.y(), area.top(), std::max(area.top(), area.bottom() + 1 - size.height())));
    }
    thePopover->move(place);
    thePopover->show();
    thePopViewController->imageBrowserView->setFocus();
}

void AppBoxPresenter::popoverDidClose()
{
    // The controller outlives every popover: take it out before the popover goes.
    if (thePopViewController->parentWidget() == thePopover.data()) {
        thePopViewController->hide();
        thePopViewController->setParent(nullptr);
    }
    if (thePopover)
        thePopover->deleteLater();
    thePopover = nullptr;
}

void AppBoxPresenter::detachPopover()
{
    QWidget *attached = detachableWindowForPopover();
    const QPoint where = thePopover ? thePopover->pos() : QPoint();
    if (thePopover)
        thePopover->close(); // hands the controller back first
    attached->layout()->addWidget(thePopViewController);
    thePopViewController->show();
    if (!where.isNull())
        attached->move(where);
    attached->show();
    attached->raise();
    attached->activateWindow();
}

} // namespace vellumry
