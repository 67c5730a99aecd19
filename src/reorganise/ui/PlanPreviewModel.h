// The rows of a batch's preview: each step of a plan as a run would see it now, then, for a
// classification, the top-level entries its clean-up would remove or keep.
// Threading: GUI thread only; the previews it is given are worked out elsewhere (previewPlan(),
// previewCleanUp(), both fine off the GUI thread).
#pragma once

#include "reorganise/BatchExecutor.h"

#include <QAbstractTableModel>
#include <QSortFilterProxyModel>

namespace vellumry {

class PlanPreviewModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        NameColumn,      // the current name
        FolderColumn,    // the current folder
        NewNameColumn,   // the new name, or for a skipped step "Skipped: <reason>"
        NewFolderColumn, // the new folder
        ColumnCount
    };
    enum Role
    {
        PathRole = Qt::UserRole, // the step's source (name column) or target (new name column), native bytes
        ProblemRole,             // bool: the row is a step that would be skipped
    };

    // A folder an undo makes again before its moves, or removes after them when it is empty.
    struct FolderRow
    {
        QByteArray path;
        bool remake = false; // false: to remove when empty
    };

    explicit PlanPreviewModel(QObject *parent = nullptr);

    // Replaces the rows in one reset: the steps in plan order, then the clean-up entries, then the
    // folders. Folders below `mainFolder` are shown relative to it (none: every folder in full). O(1) in
    // the number of steps besides the counts: text is made only for the rows a view asks for.
    void setPreview(QList<StepPreview> steps, QList<CleanUpOutcome> cleanUp = {}, const QByteArray &mainFolder = {},
                    QList<FolderRow> folders = {});

    const QList<StepPreview> &steps() const { return m_steps; }
    const QList<CleanUpOutcome> &cleanUp() const { return m_cleanUp; }
    const QList<FolderRow> &folders() const { return m_folders; }
    int skippedCount() const { return m_skipped; }
    int removedCount() const { return m_removed; }

    // The counts in words: "1,204 to move, 3 skipped, 12 folders to remove"; `verb` is what the carried out
    // steps do ("move", "rename"). The clean-up part only when there are clean-up rows, the folders' part
    // ("2 folders to make again, 1 to remove when empty") only when there are folder rows.
    QString countsText(const QString &verb) const;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

    // The folder of `path` as shown: relative to the main folder below it, "(main folder)" for the main
    // folder itself, in full otherwise.
    QString shownFolder(const QByteArray &path) const;

private:
    QVariant stepData(const StepPreview &preview, int column, int role) const;
    QVariant folderData(const QByteArray &path, const QString &what, int column, int role) const;

    QList<StepPreview> m_steps;
    QList<CleanUpOutcome> m_cleanUp;
    QList<FolderRow> m_folders;
    QByteArray m_mainFolder;
    int m_skipped = 0;
    int m_removed = 0;
};

// The preview's rows, narrowed on request to those with a problem (steps that would be skipped, name
// clashes included).
class ProblemFilterModel : public QSortFilterProxyModel
{
    Q_OBJECT
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;
    void setProblemsOnly(bool only);
    bool problemsOnly() const { return m_only; }

protected:
    bool filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const override;

private:
    bool m_only = false;
};

} // namespace vellumry
