// Buttons that announce a press through the notification centre.
#include "views/ui/PRButton.h"

#include "platform/NotificationCenter.h"

#include <QKeyEvent>
#include <QMouseEvent>

namespace vellumry {

namespace {
bool isActivationKey(const QKeyEvent *event)
{
    return !event->isAutoRepeat() &&
           (event->key() == Qt::Key_Space || event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter);
}
} // namespace

PRButton::PRButton(NotificationCenter *center, QWidget *parent) : QPushButton(parent), nc(center) {}

void PRButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    if (nc)
        nc->post(Notification::ButtonMouseDown, this);
    event->accept();
}

void PRButton::keyPressEvent(QKeyEvent *event)
{
    if (isActivationKey(event) && nc) {
        nc->post(Notification::ButtonMouseDown, this);
        event->accept();
        return;
    }
    QPushButton::keyPressEvent(event);
}

PRLeftTipButton::PRLeftTipButton(NotificationCenter *center, QWidget *parent) : QPushButton(parent), nc(center)
{
    setAttribute(Qt::WA_Hover);
}

void PRLeftTipButton::enterEvent(QEnterEvent *event)
{
    setCursor(Qt::PointingHandCursor);
    QPushButton::enterEvent(event);
}

void PRLeftTipButton::leaveEvent(QEvent *event)
{
    setCursor(Qt::ArrowCursor);
    QPushButton::leaveEvent(event);
}

void PRLeftTipButton::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    if (nc)
        nc->post(Notification::LeftButtonMouseDown, this);
    event->accept();
}

void PRLeftTipButton::keyPressEvent(QKeyEvent *event)
{
    if (isActivationKey(event) && nc) {
        nc->post(Notification::LeftButtonMouseDown, this);
        event->accept();
        return;
    }
    QPushButton::keyPressEvent(event);
}

} // namespace vellumry
