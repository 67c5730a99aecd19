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

ShownListModel::ShownListModel(QObject *parent) : QAbstractTableModel(parent)
{
    m_indexTimer.setSingleShot(true);
    m_indexTimer.setInterval(300);
    connect(&m_indexTimer, &QTimer::timeout, this, &ShownListModel::indexWhenWorthIt);
}

ShownListModel::~ShownListModel()
{
    cancelMatch();
    forgetIndex();
}

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
    const IKImageItem *row = index.isValid() && index.column() < columnCount() ? rowItem(index.row()) : nullptr;
    if (!row)
        return {};
    const IKImageItem &item = *row;
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

namespace {

quint64 fileBytes(const IKImageItem &item) { return item.bDir() ? 0 : item.filesizenum(); }

quint64 totalBytes(const ItemList &items)
{
    quint64 bytes = 0;
    for (const IKImageItemRef &item : items)
        bytes += fileBytes(*item);
    return bytes;
}

// The rows among candidates [from, to) that `matcher` keeps, with their total size. The candidates are
// the places `narrowed` lists in `source`, or without it the items of `source` themselves; `index`, when
// given, holds the names of the first items of `source`. Answers nothing once `cancellation` (when
// given) is cancelled.
ShownListModel::Matched matchRange(const NameMatcher &matcher, const QByteArrayList &mainFolders,
                                   const ItemList &source, const NameIndex *index,
                                   const ShownListModel::Rows *narrowed, qsizetype from, qsizetype to,
                                   const Cancellation *cancellation = nullptr)
{
    const auto candidate = [narrowed](qsizetype i) { return narrowed ? qsizetype((*narrowed)[size_t(i)]) : i; };
    ShownListModel::Matched kept;
    const qsizetype indexed = index && !matcher.matchesLocations() ? index->size() : 0;
    // A run of the list's own items, all in the index, and a plain text: one search of the names' block.
    if (const QByteArrayView part = matcher.foldedPart(); !part.isNull() && !narrowed && to <= indexed) {
        index->search(
            part, from, to,
            [&](qsizetype k) {
                kept.rows.push_back(quint32(k));
                kept.bytes += index->fileBytes(k);
            },
            [&](qsizetype k) {
                if (matcher.matches(*source.at(k), mainFolders)) {
                    kept.rows.push_back(quint32(k));
                    kept.bytes += fileBytes(*source.at(k));
                }
            });
        return kept;
    }
    for (qsizetype i = from; i < to; i += 4096) {
        if (cancellation && cancellation->isCancelled())
            return {};
        const qsizetype end = std::min(to, i + 4096);
        for (qsizetype n = i; n < end; ++n) {
            const qsizetype k = candidate(n);
            if (k < indexed) {
                const QByteArrayView name = index->name(k);
                const bool folded = index->isFoldedText(k);
                if (name.isNull() || (folded && matcher.countsCharacters()) ? matcher.matches(*source.at(k), mainFolders)
                                                                     : matcher.matchesIndexed(name, folded)) {
                    kept.rows.push_back(quint32(k));
                    kept.bytes += index->fileBytes(k);
                }
            } else if (matcher.matches(*source.at(k), mainFolders)) {
                kept.rows.push_back(quint32(k));
                kept.bytes += fileBytes(*source.at(k));
            }
        }
    }
    return kept;
}

} // namespace

int ShownListModel::rowCount(const QModelIndex &parent) const
{
    if (parent.isValid())
        return 0;
    return int(m_allRows ? m_source.size() : qsizetype(m_rows.size()));
}

IKImageItem *ShownListModel::rowItem(int row) const
{
    if (row < 0 || row >= rowCount())
        return nullptr;
    return m_source.at(m_allRows ? row : qsizetype(m_rows[size_t(row)])).data();
}

IKImageItemRef ShownListModel::itemAt(int row) const { return IKImageItemRef(rowItem(row)); }

ItemList ShownListModel::items() const
{
    if (m_allRows)
        return m_source;
    ItemList list;
    list.reserve(qsizetype(m_rows.size()));
    for (const quint32 k : m_rows)
        list.append(m_source.at(k));
    return list;
}

quint64 ShownListModel::shownBytes() const
{
    if (m_allRows) {
        if (!m_sourceBytes)
            m_sourceBytes = totalBytes(m_source);
        return *m_sourceBytes;
    }
    if (!m_rowBytes) {
        quint64 bytes = 0;
        for (const quint32 k : m_rows)
            bytes += fileBytes(*m_source.at(k));
        m_rowBytes = bytes;
    }
    return *m_rowBytes;
}

void ShownListModel::showMatched(Matched matched)
{
    beginResetModel();
    m_allRows = false;
    m_rows = std::move(matched.rows);
    m_rowBytes = matched.bytes;
    endResetModel();
}

void ShownListModel::showAll()
{
    beginResetModel();
    m_allRows = true;
    Rows().swap(m_rows);
    m_rowBytes.reset();
    endResetModel();
}

void ShownListModel::forgetIndex()
{
    ++m_indexGeneration;
    m_indexing.cancel();
    m_indexBuilding = false;
    m_index.reset();
}

void ShownListModel::indexSoon()
{
    // Once the list has stopped changing for a moment, so that the first keystroke finds it made.
    if (m_source.size() >= m_backgroundThreshold)
        m_indexTimer.start();
}

void ShownListModel::indexWhenWorthIt()
{
    // Made in the background for a long list once it rests or the user filters it, and again when the
    // list has grown by a tenth since (a scan still filling it); keystrokes meanwhile match item by item.
    if (m_indexBuilding || m_source.size() < m_backgroundThreshold
        || (m_index && m_index->size() >= m_source.size() - m_source.size() / 10))
        return;
    m_indexBuilding = true;
    m_indexing = runInBackground(
        this,
        [snapshot = m_source](const Cancellation &cancellation) {
            return std::make_shared<const NameIndex>(NameIndex::of(snapshot, cancellation.flag()));
        },
        [this, generation = m_indexGeneration](std::shared_ptr<const NameIndex> index) {
            if (generation != m_indexGeneration)
                return; // the list changed since
            m_indexBuilding = false;
            m_index = std::move(index);
        });
}

void ShownListModel::setItems(const ItemList &items)
{
    const bool wasFiltering = isFiltering();
    cancelMatch();
    forgetIndex();
    m_source = items;
    m_source.detach(); // a copy of its own: the source list may grow while this one is shown
    // An empty list (a scan starting) is summed as it grows; another is summed when first asked.
    m_sourceBytes = m_source.isEmpty() ? std::optional<quint64>(0) : std::nullopt;
    indexSoon();
    if (m_filter.isEmpty())
        showAll();
    else
        showMatched(matchRange(m_filter, m_mainFolders, m_source, nullptr, nullptr, 0, m_source.size()));
    if (wasFiltering)
        Q_EMIT filterApplied();
}

void ShownListModel::cancelMatch()
{
    ++m_generation;
    for (const Cancellation &match : std::as_const(m_matches))
        match.cancel();
    m_matches.clear();
    m_parts[0] = {};
    m_parts[1] = {};
    m_pendingParts = 0;
}

void ShownListModel::setFilter(const NameMatcher &matcher, const QByteArrayList &mainFolders)
{
    // Typing on narrows what is shown: when every item the new text keeps is kept by the one shown now,
    // only the rows shown are matched again, not the whole list.
    const bool narrowing = !isFiltering() && !m_allRows && !m_filter.isEmpty() && mainFolders == m_mainFolders
                           && matcher.narrows(m_filter);
    cancelMatch();
    m_filter = matcher;
    m_mainFolders = mainFolders;
    if (matcher.isEmpty()) {
        showAll();
        Q_EMIT filterApplied();
        return;
    }
    indexWhenWorthIt();
    // The candidates: the rows shown, or the whole list.
    std::shared_ptr<const Rows> narrowed = narrowing ? std::make_shared<const Rows>(m_rows) : nullptr;
    const qsizetype count = narrowed ? qsizetype(narrowed->size()) : m_source.size();
    if (count < m_backgroundThreshold) {
        showMatched(matchRange(matcher, mainFolders, m_source, m_index.get(), narrowed.get(), 0, count));
        Q_EMIT filterApplied();
        return;
    }
    // Two halves, one task each, on a snapshot of the list (sharing its items, so taking it costs nothing).
    m_snapshotSize = m_source.size();
    m_pendingParts = 2;
    const quint64 generation = m_generation;
    const qsizetype half = count / 2;
    for (int part = 0; part < 2; ++part) {
        const qsizetype from = part == 0 ? 0 : half, to = part == 0 ? half : count;
        m_matches.append(runInBackground(
            this,
            [snapshot = m_source, index = m_index, narrowed, from, to, matcher, mainFolders](const Cancellation &cancellation) {
                return matchRange(matcher, mainFolders, snapshot, index.get(), narrowed.get(), from, to, &cancellation);
            },
            [this, generation, part](Matched kept) { partMatched(generation, part, std::move(kept)); }));
    }
}

void ShownListModel::partMatched(quint64 generation, int part, Matched kept)
{
    if (generation != m_generation || m_pendingParts == 0)
        return; // a newer filter or list came since
    m_parts[part] = std::move(kept);
    if (--m_pendingParts > 0)
        return;
    m_matches.clear();
    Matched all = std::move(m_parts[0]);
    all.rows.insert(all.rows.end(), m_parts[1].rows.begin(), m_parts[1].rows.end());
    all.bytes += m_parts[1].bytes;
    m_parts[1] = {};
    if (m_snapshotSize < m_source.size()) { // appended while matching
        Matched added = matchRange(m_filter, m_mainFolders, m_source, nullptr, nullptr, m_snapshotSize, m_source.size());
        all.rows.insert(all.rows.end(), added.rows.begin(), added.rows.end());
        all.bytes += added.bytes;
    }
    showMatched(std::move(all));
    Q_EMIT filterApplied();
}

void ShownListModel::appendItems(const ItemList &source, qsizetype first, qsizetype count)
{
    if (count <= 0 || first < 0 || first + count > source.size())
        return;
    const qsizetype at = m_source.size();
    if (m_allRows)
        beginInsertRows({}, int(at), int(at + count) - 1);
    // Each item is touched once, while it is appended: a scan's catch-up brings tens of thousands.
    quint64 bytes = 0;
    for (qsizetype i = first; i < first + count; ++i) {
        const IKImageItemRef &item = source.at(i);
        bytes += fileBytes(*item);
        m_source.append(item);
    }
    if (m_sourceBytes)
        *m_sourceBytes += bytes;
    indexSoon();
    if (m_allRows) {
        endInsertRows();
        return;
    }
    if (isFiltering())
        return; // matched with the result of the match in flight
    Matched kept = matchRange(m_filter, m_mainFolders, m_source, nullptr, nullptr, at, m_source.size());
    if (kept.rows.empty())
        return;
    const auto row = int(m_rows.size());
    beginInsertRows({}, row, row + int(kept.rows.size()) - 1);
    m_rows.insert(m_rows.end(), kept.rows.begin(), kept.rows.end());
    if (m_rowBytes)
        *m_rowBytes += kept.bytes;
    endInsertRows();
}

void ShownListModel::itemsChanged()
{
    m_sourceBytes.reset(); // sizes and names may have changed on disk
    m_rowBytes.reset();
    forgetIndex();
    if (const int rows = rowCount(); rows > 0)
        Q_EMIT dataChanged(index(0, 0), index(rows - 1, columnCount() - 1));
}

} // namespace vellumry
