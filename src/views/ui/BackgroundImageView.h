// A panel that paints a named image stretched over its whole area, under its child widgets.
#pragma once

#include <QMargins>
#include <QPixmap>
#include <QWidget>

class QVBoxLayout;

namespace vellumry {

class BackgroundImageView : public QWidget
{
    Q_OBJECT
public:
    explicit BackgroundImageView(QWidget *parent = nullptr);

    // Fills `sheet` edge to edge with a new panel and answers it, with the layout the sheet's content goes
    // into (the sheets' margins inside the panel) in `content`.
    static BackgroundImageView *fillSheet(QWidget *sheet, QVBoxLayout **content, QMargins margins = {20, 18, 20, 14});

    // Loads ":/images/<name>"; both axes scale independently to the panel's size.
    void setImageNamed(const QString &name);
    QString imageName() const { return m_name; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_name;
    QPixmap m_image;
};

} // namespace vellumry
