// The History window: the batches of this program, newest first, read from their journals (those of
// earlier runs and of the command line included), with an Undo button for the selected one. The window
// undoes nothing itself: its owner connects undoRequested() and calls refresh() when a batch ends.
// Threading: GUI thread only.
#pragma once

#include "reorganise/Undo.h"

#include <QAbstractTableModel>
#include <QDialog>

#include <optional>

class QLabel;
class QPushButton;
class QTableView;

namespace vellumry {

class BackgroundImageView;

// What a batch did, in the words of the menus: "Classify", "Move to Trash", and for an undo "Undo " and
// what it undid ("Undo Classify"), looked up in `history`.
QString batchTitle(const BatchRecord &batch, const QList<BatchRecord> &history);

// The batch Edit > Undo undoes: the newest one neither undone, still running nor empty (an undo too, so that
// undoing twice brings the batch back), which may itself not be undoable (see notUndoable).
std::optional<BatchRecord> batchToUndo(const QList<BatchRecord> &history);

class HistoryModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    enum Column
    {
        WhenColumn,  // local time
        WhatColumn,  // batchTitle()
        FilesColumn, // entries moved, restored or trashed
        StateColumn, // Done, Interrupted, Undone, Running, Not undoable (the reason as the tooltip)
        ColumnCount
    };
    using QAbstractTableModel::QAbstractTableModel;

    void setHistory(QList<BatchRecord> history); // newest first, as batchHistory() gives it
    const QList<BatchRecord> &history() const { return m_history; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<BatchRecord> m_history;
};

class HistoryWindow : public QDialog
{
    Q_OBJECT
public:
    explicit HistoryWindow(QWidget *parent = nullptr);

    // Reads the journals again, keeping the selected batch selected when it is still listed.
    void refresh(const QString &journalFolder = MoveJournal::defaultFolder());
    void showOver(bool dark); // Edit > History…: refreshed, in the look given, brought forward
    std::optional<BatchRecord> selectedBatch() const;

    HistoryModel *model;
    BackgroundImageView *imageView;
    QLabel *titleLabel;
    QTableView *table;
    QPushButton *undoButton;  // enabled for a selected batch that can be undone
    QPushButton *closeButton; // Esc as well

Q_SIGNALS:
    void undoRequested(const vellumry::BatchRecord &batch);

private:
    void updateButton();
};

} // namespace vellumry
