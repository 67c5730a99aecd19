// The History window's rows and widgets.
#include "reorganise/ui/HistoryWindow.h"

#include "views/ui/BackgroundImageView.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace vellumry {

using namespace Qt::StringLiterals;

namespace {

QString operationTitle(const QString &operation)
{
    if (operation == u"move"_s)
        return HistoryModel::tr("Move");
    if (operation == u"rename"_s)
        return HistoryModel::tr("Rename");
    if (operation == u"classify"_s)
        return HistoryModel::tr("Classify");
    if (operation == u"trash"_s)
        return HistoryModel::tr("Move to Trash");
    return operation; // written by a later version: its own word
}

} // namespace

QString batchTitle(const BatchRecord &batch, const QList<BatchRecord> &history)
{
    if (batch.operation != u"undo"_s)
        return operationTitle(batch.operation);
    // An undo names what it undid; a chain of undos is short, and a journal never names a later batch.
    for (const BatchRecord &undone : history)
        if (undone.id == batch.undoes && undone.id < batch.id)
            return HistoryModel::tr("Undo %1").arg(batchTitle(undone, history));
    return HistoryModel::tr("Undo");
}

std::optional<BatchRecord> batchToUndo(const QList<BatchRecord> &history)
{
    // Batches that changed nothing are passed over; a newer batch that cannot be undone is not: undoing
    // an older one first would surprise.
    for (const BatchRecord &batch : history)
        if (!batch.undone && !batch.running && !batch.empty)
            return batch;
    return std::nullopt;
}

// ---- Rows --------------------------------------------------------------------------------------

void HistoryModel::setHistory(QList<BatchRecord> history)
{
    beginResetModel();
    m_history = std::move(history);
    endResetModel();
}

int HistoryModel::rowCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : int(m_history.size()); }

int HistoryModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : ColumnCount; }

QVariant HistoryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_history.size())
        return {};
    const BatchRecord &batch = m_history.at(index.row());
    if (role == Qt::TextAlignmentRole && index.column() == FilesColumn)
        return QVariant::fromValue(Qt::AlignRight | Qt::AlignVCenter);
    if (role == Qt::ToolTipRole && index.column() == StateColumn) {
        if (batch.undone || batch.running || batch.undoable())
            return {};
        return batch.notUndoable;
    }
    if (role != Qt::DisplayRole)
        return {};
    switch (index.column()) {
    case WhenColumn:
        return QLocale().toString(batch.started.toLocalTime(), QLocale::ShortFormat);
    case WhatColumn:
        return batchTitle(batch, m_history);
    case FilesColumn:
        return QLocale().toString(batch.moved + batch.trashed);
    case StateColumn:
        if (batch.running)
            return tr("Running");
        if (batch.undone)
            return tr("Undone");
        if (!batch.undoable())
            return tr("Not undoable");
        return batch.ended ? tr("Done") : tr("Interrupted");
    default:
        return {};
    }
}

QVariant HistoryModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case WhenColumn:
        return tr("When");
    case WhatColumn:
        return tr("What");
    case FilesColumn:
        return tr("Files");
    case StateColumn:
        return tr("State");
    default:
        return {};
    }
}

// ---- Window ------------------------------------------------------------------------------------

HistoryWindow::HistoryWindow(QWidget *parent) : QDialog(parent), model(new HistoryModel(this))
{
    setWindowTitle(tr("History"));
    QVBoxLayout *inner = nullptr;
    imageView = BackgroundImageView::fillSheet(this, &inner);
    imageView->setImageNamed(u"grayimage.png"_s);
    titleLabel = new QLabel(tr("Batches of files moved, renamed, classified or trashed, newest first. "
                               "An undo moves back the files that have not changed since."),
                            imageView);
    titleLabel->setWordWrap(true);
    inner->addWidget(titleLabel);

    table = new QTableView(imageView);
    table->setModel(model);
    table->verticalHeader()->hide();
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setSelectionMode(QAbstractItemView::SingleSelection);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setAlternatingRowColors(true);
    table->setShowGrid(false);
    table->setWordWrap(false);
    table->setMinimumSize(560, 260);
    const int widths[] = {170, 190, 60};
    for (int column = 0; column < 3; ++column)
        table->setColumnWidth(column, widths[column]);
    inner->addWidget(table, 1);

    // Undo stays a button: Enter in the table undoes nothing, Esc closes.
    auto *buttons = new QDialogButtonBox(imageView);
    undoButton = buttons->addButton(tr("Undo"), QDialogButtonBox::ActionRole);
    undoButton->setToolTip(tr("Move the selected batch's files back where they were"));
    closeButton = buttons->addButton(QDialogButtonBox::Close);
    closeButton->setIcon({});
    for (QPushButton *button : {undoButton, closeButton})
        button->setAutoDefault(false);
    inner->addWidget(buttons);
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
    connect(undoButton, &QPushButton::clicked, this, [this] {
        if (const std::optional<BatchRecord> batch = selectedBatch(); batch && batch->undoable())
            Q_EMIT undoRequested(*batch);
    });
    connect(table->selectionModel(), &QItemSelectionModel::selectionChanged, this, &HistoryWindow::updateButton);
    connect(model, &QAbstractItemModel::modelReset, this, &HistoryWindow::updateButton);
    resize(700, 420);
    updateButton();
}

void HistoryWindow::refresh(const QString &journalFolder)
{
    const std::optional<BatchRecord> selected = selectedBatch();
    model->setHistory(batchHistory(journalFolder));
    for (int row = 0; selected && row < model->rowCount(); ++row) {
        if (model->history().at(row).id == selected->id) {
            table->selectRow(row);
            break;
        }
    }
    updateButton();
}

std::optional<BatchRecord> HistoryWindow::selectedBatch() const
{
    const QModelIndexList rows = table->selectionModel()->selectedRows();
    if (rows.isEmpty() || rows.first().row() >= model->rowCount())
        return std::nullopt;
    return model->history().at(rows.first().row());
}

void HistoryWindow::updateButton()
{
    const std::optional<BatchRecord> batch = selectedBatch();
    undoButton->setEnabled(batch && batch->undoable());
    undoButton->setToolTip(batch && !batch->undoable() ? tr("Cannot undo: %1").arg(batch->notUndoable)
                                                       : tr("Move the selected batch's files back where they were"));
}

void HistoryWindow::showOver(bool dark)
{
    imageView->setImageNamed(dark ? u"blackground.png"_s : u"grayimage.png"_s);
    refresh();
    show();
    raise();
    activateWindow();
    table->setFocus();
}

} // namespace vellumry
