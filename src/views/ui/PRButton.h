// Buttons that announce a press through the notification centre instead of a click signal.
#pragma once

#include <QPointer>
#include <QPushButton>
#include <QRectF>

namespace vellumry {

class NotificationCenter;

// Announces "MybuttonMouseDown" when pressed (with the mouse, or Space/Enter while focused); the
// controller decides what happens, so the button sends no action of its own.
class PRButton : public QPushButton
{
    Q_OBJECT
public:
    explicit PRButton(NotificationCenter *nc, QWidget *parent = nullptr);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QPointer<NotificationCenter> nc;
};

// Shows the pointing hand while hovered and announces "PRLeftButtonMouseDown" when pressed.
class PRLeftTipButton : public QPushButton
{
    Q_OBJECT
public:
    explicit PRLeftTipButton(NotificationCenter *nc, QWidget *parent = nullptr);

    int btnType() const { return m_btnType; }
    void setBtnType(int type) { m_btnType = type; }
    QRectF currentViewRect() const { return m_currentViewRect; }
    void setCurrentViewRect(const QRectF &rect) { m_currentViewRect = rect; }

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    QPointer<NotificationCenter> nc;
    int m_btnType = 0;
    QRectF m_currentViewRect;
};

} // namespace vellumry
