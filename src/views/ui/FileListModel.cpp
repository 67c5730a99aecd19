// The shown list as a Qt item model.
#include "views/ui/FileListModel.h"

#include "platform/NativePath.h"

#include <QApplication>
#include <QIcon>
#include <QStyle>

namespace vellumry {

int FileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

QVariant FileListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_items.size())
        return {};
    const IKImageItem &item = *m_items.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return displayPath(item.imageTitle());
    case Qt::DecorationRole: {
        // Until thumbnails arrive: a folder or a file icon from the current style.
        static const QIcon folder = QApplication::style()->standardIcon(QStyle::SP_DirIcon);
        static const QIcon file = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
        return item.bDir() ? folder : file;
    }
    case Qt::ToolTipRole:
        return displayPath(item.bDir() ? item.fileName() : item.filePath());
    default:
        return {};
    }
}

void FileListModel::setItems(const ItemList &items)
{
    beginResetModel();
    m_items = items;
    endResetModel();
}

void FileListModel::appendItems(const ItemList &items, qsizetype first, qsizetype count)
{
    if (count <= 0 || first + count > items.size())
        return;
    const auto at = int(m_items.size());
    beginInsertRows({}, at, at + int(count) - 1);
    m_items.append(items.mid(first, count));
    endInsertRows();
}

} // namespace vellumry
