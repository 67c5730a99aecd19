// The shown list as a Qt item model.
#include "views/ui/ShownListModel.h"

#include "platform/NativePath.h"
#include "views/ui/FileMime.h"

#include <QPixmap>

#include <algorithm>

namespace vellumry {

using namespace Qt::StringLiterals;

ShownListModel::ShownListModel(QObject *parent) : QAbstractTableModel(parent) {}

QString ShownListModel::columnIdentifier(int column)
{
    switch (column) {
    case NameColumn:
        return u"Name"_s;
    case PathColumn:
        return u"Path"_s;
    case SizeColumn:
        return u"Size"_s;
    case TypeColumn:
        return u"Type"_s;
    case DateColumn:
        return u"Date"_s;
    default:
        return {};
    }
}

int ShownListModel::columnForIdentifier(const QString &identifier)
{
    for (int c = 0; c < ColumnCount; ++c) {
        if (columnIdentifier(c) == identifier)
            return c;
    }
    return -1;
}

int ShownListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

int ShownListModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant ShownListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_items.size() || index.column() >= ColumnCount)
        return {};
    const IKImageItem &item = *m_items.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        switch (index.column()) {
        case NameColumn:
            return displayPath(item.fileName());
        case PathColumn: // the folder below the main folder; the whole path is the tooltip
            if (item.bDir())
                return displayPath(item.filePath());
            return displayPath(fromNativePath(
                removingLastPathComponent(locationBelow(item.nativeEntryPath(), m_mainFolders))));
        case SizeColumn:
            return item.fileSize();
        case TypeColumn:
            return item.fileType();
        case DateColumn:
            return item.modifDate();
        }
        break;
    case Qt::ToolTipRole:
        if (index.column() == NameColumn || index.column() == PathColumn)
            return displayPath(item.bDir() ? fromNativePath(item.nativeEntryPath()) : item.filePath());
        break;
    case Qt::TextAlignmentRole:
        if (index.column() == SizeColumn)
            return int(Qt::AlignRight | Qt::AlignVCenter);
        break;
    case ThumbnailRole:
        if (m_thumbnails)
            return m_thumbnails(item);
        break;
    default:
        break;
    }
    return {};
}

QVariant ShownListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= ColumnCount)
        return QAbstractTableModel::headerData(section, orientation, role);
    if (role == IdentifierRole)
        return columnIdentifier(section);
    if (role == Qt::DisplayRole) {
        switch (section) {
        case NameColumn:
            return tr("Name");
        case PathColumn:
            return tr("Path");
        case SizeColumn:
            return tr("Size");
        case TypeColumn:
            return tr("Kind");
        case DateColumn:
            return tr("Created");
        }
    }
    return {};
}

Qt::ItemFlags ShownListModel::flags(const QModelIndex &index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren | Qt::ItemIsDragEnabled;
}

QStringList ShownListModel::mimeTypes() const
{
    return {u"text/uri-list"_s, u"x-special/gnome-copied-files"_s, u"text/plain"_s};
}

QMimeData *ShownListModel::mimeData(const QModelIndexList &indexes) const
{
    QList<int> rows;
    for (const QModelIndex &index : indexes)
        if (index.isValid() && index.model() == this)
            rows.append(index.row());
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    ItemList items;
    for (int row : rows)
        if (const IKImageItemRef item = itemAt(row))
            items.append(item);
    return filesMimeData(itemDiskPaths(items));
}

ItemList ShownListModel::filtered(const ItemList &items) const
{
    if (m_filter.isEmpty())
        return items;
    ItemList kept;
    for (const IKImageItemRef &item : items) {
        if (m_filter.matches(*item, m_mainFolders))
            kept.append(item);
    }
    return kept;
}

void ShownListModel::setItems(const ItemList &items)
{
    beginResetModel();
    m_source = items;
    m_source.detach(); // a copy of its own: the source list may grow while this one is shown
    m_items = filtered(m_source);
    endResetModel();
}

void ShownListModel::setFilter(const NameMatcher &matcher, const QByteArrayList &mainFolders)
{
    beginResetModel();
    m_filter = matcher;
    m_mainFolders = mainFolders;
    m_items = filtered(m_source);
    endResetModel();
}

void ShownListModel::appendItems(const ItemList &source, qsizetype first, qsizetype count)
{
    if (count <= 0 || first < 0 || first + count > source.size())
        return;
    const ItemList added = source.sliced(first, count);
    m_source.append(added);
    const ItemList kept = filtered(added);
    if (kept.isEmpty())
        return;
    const auto at = int(m_items.size());
    beginInsertRows({}, at, at + int(kept.size()) - 1);
    m_items.append(kept);
    endInsertRows();
}

void ShownListModel::itemsChanged()
{
    if (!m_items.isEmpty())
        Q_EMIT dataChanged(index(0, 0), index(int(m_items.size()) - 1, ColumnCount - 1));
}

IKImageItemRef ShownListModel::itemAt(int row) const
{
    if (row < 0 || row >= m_items.size())
        return {};
    return m_items.at(row);
}

} // namespace vellumry
