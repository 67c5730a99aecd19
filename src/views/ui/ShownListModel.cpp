// The shown list as a Qt item model.
#include "views/ui/ShownListModel.h"

#include "platform/NativePath.h"
#include "views/ui/FileMime.h"

#include <QColor>
#include <QGuiApplication>
#include <QPalette>
#include <QPixmap>

#include <algorithm>

namespace vellumry {

using namespace Qt::StringLiterals;

ShownListModel::ShownListModel(QObject *parent) : QAbstractTableModel(parent) {}

ShownListModel::~ShownListModel() { cancelMatch(); }

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

int ShownListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount + (m_groups.isEmpty() ? 0 : 1);
}

void ShownListModel::setGroups(QHash<const IKImageItem *, int> groups)
{
    beginResetModel(); // the column count changes
    m_groups = std::move(groups);
    endResetModel();
}

QVariant ShownListModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_items.size() || index.column() >= columnCount())
        return {};
    const IKImageItem &item = *m_items.at(index.row());
    if (const int group = m_groups.value(&item); group > 0) {
        if (role == GroupRole || (role == Qt::DisplayRole && index.column() == GroupColumn))
            return group;
        if (role == Qt::BackgroundRole && group % 2 == 0) {
            // The ground tinted with the accent, from the look's palette: it follows dark and light.
            const QPalette palette = QGuiApplication::palette();
            const QColor ground = palette.color(QPalette::Base), accent = palette.color(QPalette::Highlight);
            const auto mix = [](int a, int b) { return (a * 85 + b * 15) / 100; };
            return QColor(mix(ground.red(), accent.red()), mix(ground.green(), accent.green()),
                          mix(ground.blue(), accent.blue()));
        }
        if (role == Qt::TextAlignmentRole && index.column() == GroupColumn)
            return int(Qt::AlignRight | Qt::AlignVCenter);
    } else if (role == GroupRole) {
        return 0;
    }
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
    if (orientation != Qt::Horizontal || section < 0 || section >= columnCount())
        return QAbstractTableModel::headerData(section, orientation, role);
    if (section == GroupColumn && (role == IdentifierRole || role == Qt::DisplayRole))
        return role == IdentifierRole ? u"Group"_s : tr("Group");
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
    const bool wasFiltering = isFiltering();
    cancelMatch();
    beginResetModel();
    m_source = items;
    m_source.detach(); // a copy of its own: the source list may grow while this one is shown
    m_items = filtered(m_source);
    endResetModel();
    if (wasFiltering)
        Q_EMIT filterApplied();
}

void ShownListModel::cancelMatch()
{
    ++m_generation;
    for (const Cancellation &match : std::as_const(m_matches))
        match.cancel();
    m_matches.clear();
    m_parts[0].clear();
    m_parts[1].clear();
    m_pendingParts = 0;
}

void ShownListModel::setFilter(const NameMatcher &matcher, const QByteArrayList &mainFolders)
{
    cancelMatch();
    m_filter = matcher;
    m_mainFolders = mainFolders;
    if (matcher.isEmpty() || m_source.size() < m_backgroundThreshold) {
        beginResetModel();
        m_items = filtered(m_source);
        endResetModel();
        Q_EMIT filterApplied();
        return;
    }
    // Two halves, one task each; the snapshot shares the items, so taking it costs nothing.
    m_snapshotSize = m_source.size();
    m_pendingParts = 2;
    const quint64 generation = m_generation;
    const qsizetype half = m_snapshotSize / 2;
    for (int part = 0; part < 2; ++part) {
        const qsizetype from = part == 0 ? 0 : half, to = part == 0 ? half : m_snapshotSize;
        m_matches.append(runInBackground(
            this,
            [snapshot = m_source, from, to, matcher, mainFolders](const Cancellation &cancellation) {
                ItemList kept;
                for (qsizetype i = from; i < to; i += 4096) {
                    if (cancellation.isCancelled())
                        return ItemList();
                    const qsizetype end = std::min(to, i + 4096);
                    for (qsizetype k = i; k < end; ++k) {
                        if (matcher.matches(*snapshot.at(k), mainFolders))
                            kept.append(snapshot.at(k));
                    }
                }
                return kept;
            },
            [this, generation, part](ItemList kept) { partMatched(generation, part, std::move(kept)); }));
    }
}

void ShownListModel::partMatched(quint64 generation, int part, ItemList kept)
{
    if (generation != m_generation || m_pendingParts == 0)
        return; // a newer filter or list came since
    m_parts[part] = std::move(kept);
    if (--m_pendingParts > 0)
        return;
    m_matches.clear();
    ItemList rows = std::move(m_parts[0]);
    rows.append(m_parts[1]);
    m_parts[1].clear();
    if (m_snapshotSize < m_source.size()) // appended while matching
        rows.append(filtered(m_source.sliced(m_snapshotSize)));
    beginResetModel();
    m_items = std::move(rows);
    endResetModel();
    Q_EMIT filterApplied();
}

void ShownListModel::appendItems(const ItemList &source, qsizetype first, qsizetype count)
{
    if (count <= 0 || first < 0 || first + count > source.size())
        return;
    const ItemList added = source.sliced(first, count);
    m_source.append(added);
    if (isFiltering())
        return; // matched with the result of the match in flight
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
        Q_EMIT dataChanged(index(0, 0), index(int(m_items.size()) - 1, columnCount() - 1));
}

IKImageItemRef ShownListModel::itemAt(int row) const
{
    if (row < 0 || row >= m_items.size())
        return {};
    return m_items.at(row);
}

} // namespace vellumry
