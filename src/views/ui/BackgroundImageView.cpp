// A panel with a stretched background image.
#include "views/ui/BackgroundImageView.h"

#include <QPainter>

namespace vellumry {

BackgroundImageView::BackgroundImageView(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_StyledBackground, false);
}

void BackgroundImageView::setImageNamed(const QString &name)
{
    if (name == m_name)
        return;
    m_name = name;
    m_image = QPixmap(QStringLiteral(":/images/") + name);
    update();
}

void BackgroundImageView::paintEvent(QPaintEvent *)
{
    if (m_image.isNull())
        return;
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawPixmap(rect(), m_image);
}

} // namespace vellumry
