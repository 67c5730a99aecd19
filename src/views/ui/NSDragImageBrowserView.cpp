// The icon grid and its cells.
#include "views/ui/NSDragImageBrowserView.h"

#include "platform/NotificationCenter.h"
#include "views/ui/ShownListModel.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>

namespace vellumry {

namespace {
constexpr int kTitleHeight = 18;
constexpr int kPadding = 8;
} // namespace

ImageBrowserCellDelegate::ImageBrowserCellDelegate(QObject *parent) : QStyledItemDelegate(parent) {}

QSize ImageBrowserCellDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const
{
    return {m_cellSize.width() + 2 * kPadding + 16, m_cellSize.height() + kTitleHeight + 2 * kPadding};
}

void ImageBrowserCellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                                     const QModelIndex &index) const
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRect cell = option.rect.adjusted(2, 2, -2, -2);
    const bool selected = option.state & QStyle::State_Selected;
    const QPalette &palette = option.palette;
    if (selected) {
        QColor fill = palette.color(QPalette::Highlight);
        fill.setAlpha(60);
        painter->setPen(QPen(palette.color(QPalette::Highlight), 1.5));
        painter->setBrush(fill);
        painter->drawRoundedRect(QRectF(cell).adjusted(0.5, 0.5, -0.5, -0.5), 8, 8);
    } else if (option.state & QStyle::State_MouseOver) {
        QColor hover = palette.color(QPalette::Highlight);
        hover.setAlpha(22);
        painter->setPen(Qt::NoPen);
        painter->setBrush(hover);
        painter->drawRoundedRect(cell, 8, 8);
    }

    // The picture, fitted into the square above the title, with a soft shadow behind it.
    const QRect square(cell.left() + (cell.width() - m_cellSize.width()) / 2, cell.top() + kPadding - 2,
                       m_cellSize.width(), m_cellSize.height());
    const QPixmap picture = index.data(ShownListModel::ThumbnailRole).value<QPixmap>();
    if (!picture.isNull()) {
        const QSize fitted = picture.size().scaled(square.size(), Qt::KeepAspectRatio).boundedTo(square.size());
        const QSize shown = picture.deviceIndependentSize().toSize().width() < fitted.width()
                                ? picture.deviceIndependentSize().toSize()
                                : fitted;
        const QRect target(square.left() + (square.width() - shown.width()) / 2,
                           square.bottom() - shown.height() + 1, shown.width(), shown.height());
        // Pictures get a soft shadow; icons carry their own shape and transparency.
        for (int i = picture.hasAlphaChannel() ? 0 : 3; i >= 1; --i) {
            painter->setPen(Qt::NoPen);
            painter->setBrush(QColor(0, 0, 0, 14 * (4 - i)));
            painter->drawRoundedRect(QRectF(target).adjusted(-i + 1, -i + 2, i - 1, i + 1), 3, 3);
        }
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        painter->drawPixmap(target, picture);
    }

    // The title, elided in the middle so both the start and the extension stay readable.
    const QRect titleRect(cell.left() + 4, square.bottom() + 4, cell.width() - 8, kTitleHeight);
    const QString title = index.data(Qt::DisplayRole).toString();
    painter->setPen(palette.color(selected ? QPalette::HighlightedText : QPalette::Text));
    if (selected)
        painter->setPen(palette.color(QPalette::Text));
    painter->setFont(option.font);
    painter->drawText(titleRect, Qt::AlignHCenter | Qt::AlignVCenter,
                      option.fontMetrics.elidedText(title, Qt::ElideMiddle, titleRect.width()));
    painter->restore();
}

NSDragImageBrowserView::NSDragImageBrowserView(NotificationCenter *center, QWidget *parent)
    : QListView(parent), nc(center), m_delegate(new ImageBrowserCellDelegate(this))
{
    // A wrapping list with uniform cells lays out a million items arithmetically; the free-moving
    // icon mode would keep a rectangle per item.
    setViewMode(QListView::ListMode);
    setFlow(QListView::LeftToRight);
    setWrapping(true);
    setResizeMode(QListView::Adjust);
    setUniformItemSizes(true);
    setLayoutMode(QListView::Batched);
    setBatchSize(2000);
    setMovement(QListView::Static);
    setSelectionMode(QAbstractItemView::ExtendedSelection);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    setMouseTracking(true);
    setAcceptDrops(true);
    setDropIndicatorShown(false);
    // Selected cells drag out as their files; folders dropped from elsewhere open (see dropEvent).
    setDragDropMode(QAbstractItemView::DragDrop);
    setDragEnabled(true);
    setDefaultDropAction(Qt::CopyAction);
    setItemDelegate(m_delegate);
    setCellSize({80, 80});
}

void NSDragImageBrowserView::setCellSize(QSize size)
{
    m_delegate->setCellSize(size);
    setGridSize(m_delegate->sizeHint({}, {}));
}

bool NSDragImageBrowserView::offersFiles(const QMimeData *data)
{
    if (!data || !data->hasUrls())
        return false;
    const QList<QUrl> urls = data->urls();
    return std::any_of(urls.begin(), urls.end(), [](const QUrl &url) { return url.isLocalFile(); });
}

bool NSDragImageBrowserView::performDragOperation(const QMimeData *data)
{
    if (!offersFiles(data))
        return false;
    urlArray.clear();
    for (const QUrl &url : data->urls())
        urlArray.append(url);
    if (nc)
        nc->post(Notification::DragOperationImage, this);
    return true;
}

void NSDragImageBrowserView::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->source() != this && offersFiles(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void NSDragImageBrowserView::dragMoveEvent(QDragMoveEvent *event)
{
    if (event->source() != this && offersFiles(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void NSDragImageBrowserView::dropEvent(QDropEvent *event)
{
    if (event->source() != this && performDragOperation(event->mimeData())) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    } else {
        event->ignore();
    }
}

void NSDragImageBrowserView::mouseDoubleClickEvent(QMouseEvent *event)
{
    QListView::mouseDoubleClickEvent(event);
    if (indexAt(event->position().toPoint()).isValid())
        Q_EMIT itemDoubleClicked(indexAt(event->position().toPoint()).row());
}

} // namespace vellumry
