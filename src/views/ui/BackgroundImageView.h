// A panel that paints a named image stretched over its whole area, under its child widgets.
#pragma once

#include <QPixmap>
#include <QWidget>

namespace vellumry {

class BackgroundImageView : public QWidget
{
    Q_OBJECT
public:
    explicit BackgroundImageView(QWidget *parent = nullptr);

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
