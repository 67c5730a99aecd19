// The icon grid of the shown list: titled, shadowed cells, multiple selection, folder drops, files dragged out.
#pragma once

#include <QList>
#include <QListView>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QUrl>

namespace vellumry {

class NotificationCenter;

// Draws one grid cell: the picture in a square with a soft shadow, the title below it.
class ImageBrowserCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    explicit ImageBrowserCellDelegate(QObject *parent = nullptr);
    void setCellSize(QSize size) { m_cellSize = size; }
    QSize cellSize() const { return m_cellSize; }
    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

private:
    QSize m_cellSize{80, 80};
};

class NSDragImageBrowserView : public QListView
{
    Q_OBJECT
public:
    explicit NSDragImageBrowserView(NotificationCenter *nc, QWidget *parent = nullptr);

    QString DragFilePath() const { return m_dragFilePath; }
    void setDragFilePath(const QString &path) { m_dragFilePath = path; }
    // The URLs of the most recent drop, in the order the drag offered them.
    QList<QUrl> geturlArray() const { return urlArray; }

    void setCellSize(QSize size);
    ImageBrowserCellDelegate *cellDelegate() const { return m_delegate; }

    // Takes a drop's data the way a drop on the grid does: keeps its URLs and announces the drop.
    // Answers whether it was taken (only file drags are).
    bool performDragOperation(const QMimeData *data);
    static bool offersFiles(const QMimeData *data);

Q_SIGNALS:
    void itemDoubleClicked(int row);

protected:
    // A drag that started in this grid is never taken back by it.
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    QPointer<NotificationCenter> nc;
    QString m_dragFilePath;
    QList<QUrl> urlArray;
    ImageBrowserCellDelegate *m_delegate;
};

} // namespace vellumry
