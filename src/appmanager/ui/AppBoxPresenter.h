// The tray box on screen: the box's controller, the popover that shows it under the tray item or a button,
// and the window the box can be detached into.
#pragma once

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
    void freshView();     // reloads the box's grid, once it exists

    PPopoverviewConterller *thePopViewController = nullptr;
    QPointer<QWidget> thePopover; // exists while shown
    QWidget *popAttachWindow = nullptr;
};

} // namespace vellumry
