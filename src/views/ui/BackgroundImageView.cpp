// A panel with a stretched background image.
#include "views/ui/BackgroundImageView.h"

#include <QPainter>
#include <QVBoxLayout>

namespace vellumry {

BackgroundImageView::BackgroundImageView(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_StyledBackground, false);
}

BackgroundImageView *BackgroundImageView::fillSheet(QWidget *sheet, QVBoxLayout **content, QMargins margins)
{
    auto *outer = new QVBoxLayout(sheet);
    outer->setContentsMargins(0, 0, 0, 0);
    auto *panel = new BackgroundImageView(sheet);
    outer->addWidget(panel);
    *content = new QVBoxLayout(panel);
    (*content)->setContentsMargins(margins);
    return panel;
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
