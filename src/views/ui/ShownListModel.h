// The shown list: the items the icon grid and the list table display, as one Qt item model.
#pragma once

#include "model/IKImageItem.h"
#include "platform/Background.h"
#include "views/NameIndex.h"
#include "views/NameMatch.h"

#include <QAbstractTableModel>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

namespace vellumry {

class ShownListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // The list table's columns, known by their identifiers "Name", "Path", "Size", "Type", "Date".
    enum Column { NameColumn, PathColumn, SizeColumn, TypeColumn, DateColumn, ColumnCount };
    // Shown after the others, and only while the rows are grouped (see setGroups()): "Group".
    enum { GroupColumn = ColumnCount };
    enum Role {
        ThumbnailRole = Qt::UserRole + 1, // the grid's picture of a row (column 0)
        IdentifierRole,                   // header data: the column identifier
        GroupRole,                        // the row's group number (from 1), 0 when the rows are not grouped
    };

    using ThumbnailSource = std::function<QPixmap(const IKImageItem &)>;
    // Rows are places in the list given, so a million rows are made and dropped without touching each
    // item's reference count.
    using Rows = std::vector<quint32>;
    struct Matched
    {
        Rows rows;
        quint64 bytes = 0; // their total size
    };

    explicit ShownListModel(QObject *parent = nullptr);
    ~ShownListModel() override;

    static QString columnIdentifier(int column);
    static int columnForIdentifier(const QString &identifier); // -1 when none

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    // Rows drag out as their files (see FileMime.h); a row given in several columns counts once.
    QStringList mimeTypes() const override;
    QMimeData *mimeData(const QModelIndexList &indexes) const override;
    Qt::DropActions supportedDragActions() const override { return Qt::CopyAction; }

    // Replaces the whole list (empties it, then adds the list's items in order); the rows are the
    // items the filter keeps.
    void setItems(const ItemList &items);
    // Appends the items [first, first + count) of `source`, as the live refresh of a scan does.
    void appendItems(const ItemList &source, qsizetype first, qsizetype count);
    // The quick filter: rows are the items of the list that `matcher` keeps (locations taken below
    // `mainFolders`). An empty matcher shows the whole list. Threading:
    // - a list shorter than backgroundThreshold() is matched at once, on the calling thread;
    // - a longer one is matched on the background pool (split over two tasks) from a snapshot of the
    //   list, while the rows stay those of the previous filter; the result comes back as one reset.
    //   A newer setFilter() or setItems() cancels the match in flight, and its late result is dropped.
    //   Items appended meanwhile are matched when the result arrives.
    // filterApplied() is emitted once the rows follow the filter, either way.
    void setFilter(const NameMatcher &matcher, const QByteArrayList &mainFolders);
    const NameMatcher &filter() const { return m_filter; }
    // A match runs in the background: rows and rowCount() are still those of the previous filter.
    bool isFiltering() const { return m_pendingParts > 0; }
    qsizetype backgroundThreshold() const { return m_backgroundThreshold; }
    void setBackgroundThreshold(qsizetype count) { m_backgroundThreshold = count; }
    // The items shown, the filter applied (a list made when asked); and how many the list holds before it.
    ItemList items() const;
    qsizetype unfilteredCount() const { return m_source.size(); }
    IKImageItemRef itemAt(int row) const; // null when the row is out of range
    IKImageItem *rowItem(int row) const;  // the same without a reference of its own: for loops over rows
    // The total size of the files among the rows (folders count nothing). Kept with the rows, so the
    // status line does not walk a million items on every keystroke.
    quint64 shownBytes() const;
    // The shown items' fields changed (a move wrote new paths): views redraw what they show.
    void itemsChanged();

    void setThumbnailSource(ThumbnailSource source) { m_thumbnails = std::move(source); }

    // Rows in groups (sets of copies): each item's group number, from 1. While set, the table has the
    // Group column and every other group is shaded; empty: a flat list again. Items not in the map are
    // shown ungrouped. The keys are only compared, never followed.
    void setGroups(QHash<const IKImageItem *, int> groups);
    bool isGrouped() const { return !m_groups.isEmpty(); }

Q_SIGNALS:
    void filterApplied();

private:
    void showMatched(Matched matched);
    void showAll();
    void cancelMatch();
    void forgetIndex();
    void indexSoon();
    void indexWhenWorthIt();
    void partMatched(quint64 generation, int part, Matched kept);
    // The background match: its generation (a result of another one is dropped), its tasks, the parts
    // back so far and how many of the source's items its snapshot held.
    quint64 m_generation = 0;
    QList<Cancellation> m_matches;
    Matched m_parts[2];
    int m_pendingParts = 0;
    qsizetype m_snapshotSize = 0;
    qsizetype m_backgroundThreshold = 50000;
    ItemList m_source;     // the whole list given
    bool m_allRows = true; // no filter: the rows are m_source itself
    Rows m_rows;           // else the items of m_source the filter keeps, in its order
    // The names of the list for the filter to scan, made in the background (see NameIndex.h).
    std::shared_ptr<const NameIndex> m_index;
    Cancellation m_indexing;
    QTimer m_indexTimer;
    bool m_indexBuilding = false;
    quint64 m_indexGeneration = 0; // bumped when the list or its names change: a late index is dropped
    // The total sizes of m_source and m_rows, when known (a change on disk makes them unknown).
    mutable std::optional<quint64> m_sourceBytes, m_rowBytes;
    NameMatcher m_filter;
    QByteArrayList m_mainFolders;
    ThumbnailSource m_thumbnails;
    QHash<const IKImageItem *, int> m_groups;
};

} // namespace vellumry
