// The tray box on screen: the box's controller, the popover that shows it under the tray item or a button,
// and the window the box can be detached into.
#pragma once

#include "appmanager/AppInventory.h"

#include <QHash>
#include <QObject>
#include <QPointer>

#include <functional>

class QPushButton;
class QWidget;

namespace vellumry {

class DesktopServices;
class NotificationCenter;
class PPopoverviewConterller;
class Settings;

// GUI thread only. Owns the box's top-level widgets (the controller, the popover while shown, the
// detached window) and deletes them with itself; the controller outlives every popover.
class AppBoxPresenter : public QObject
{
    Q_OBJECT
public:
    explicit AppBoxPresenter(QObject *parent = nullptr);
    ~AppBoxPresenter() override;

    // Creates the box's controller and restores the box from `settings`; `boxButton` (the main window's
    // button for desktops without a tray) opens the box and is shown only there. Everything handed in
    // outlives the presenter.
    void setUp(Settings &settings, NotificationCenter *nc, DesktopServices &desktop,
               std::function<int()> usedCountThreshold, QPushButton *boxButton);

    // Shows the popover under `sender` (under the pointer when null, as for the tray icon); when the box is
    // detached into its own window, brings that window forward instead.
    void ClickStateBanner(QWidget *sender = nullptr);
    void createPopover();
    void popoverDidClose();
    QWidget *detachableWindowForPopover() const { return popAttachWindow; }
    void detachPopover(); // moves the box from the popover into popAttachWindow
    // A refresh of the box: reads the desktop's record of recent use once, then reloads the grid.
    void freshView();
    // Reads the record of recent use afresh; every use the box asks for until the next reload comes from
    // this one reading.
    void reloadRecentUse();

    PPopoverviewConterller *thePopViewController = nullptr;
    QPointer<QWidget> thePopover; // exists while shown
    QWidget *popAttachWindow = nullptr;

private:
    RecentUseStore::Use useOf(const QString &appPath);

    RecentUseStore m_uses;
    QHash<QString, RecentUseStore::Use> m_usesByPath; // of m_uses, by the box entry's path
};

} // namespace vellumry
