// The open-with editor's sheets.
#include "defaultapps/ui/OpenWithSheet.h"

#include "defaultapps/ui/SHTableCellView.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace vellumry {

void OpenWithRowModel::setRows(const OpenWithRows &rows)
{
    beginResetModel();
    m_rows = rows;
    endResetModel();
}

int OpenWithRowModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int OpenWithRowModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : 2; }

QVariant OpenWithRowModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_rows.size())
        return {};
    const OpenWithRow &row = *m_rows.at(index.row());
    if (index.column() == 0) // the cell widget shows it; the text serves tooltips and keyboard search
        return role == Qt::ToolTipRole || role == Qt::AccessibleTextRole ? QVariant(row.fileName) : QVariant();
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return row.filePath.isEmpty() ? QString() : row.filePath;
    return {};
}

QVariant OpenWithRowModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    return section == 0 ? tr("Extension") : tr("Opened by");
}

OpenWithSheet::OpenWithSheet(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("Open With"));
    setWindowModality(Qt::WindowModal);
    resize(460, 420);

    titleLabel = new QLabel(this);
    titleLabel->setWordWrap(true);
    appFileController = new OpenWithRowModel(this);
    appFileTableview = new QTableView(this);
    appFileTableview->setModel(appFileController);
    appFileTableview->setSelectionMode(QAbstractItemView::NoSelection);
    appFileTableview->verticalHeader()->hide();
    appFileTableview->horizontalHeader()->setStretchLastSection(true);
    appFileTableview->setColumnWidth(0, 160);
    scanAppFileProgressor = new QProgressBar(this);
    scanAppFileProgressor->setRange(0, 0);
    scanAppFileProgressor->hide();
    messageLabel = new QLabel(this);
    messageLabel->setWordWrap(true);
    messageLabel->hide();

    changeButton = new QPushButton(tr("Change Application…"), this);
    changeButton->setToolTip(tr("Choose the application that opens the ticked extensions from now on"));
    changeButton->setDefault(true);
    cancelButton = new QPushButton(tr("Cancel"), this);
    cancelButton->setToolTip(tr("Close without changing anything (Esc)"));

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancelButton);
    buttons->addWidget(changeButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(titleLabel);
    layout->addWidget(appFileTableview, 1);
    layout->addWidget(scanAppFileProgressor);
    layout->addWidget(messageLabel);
    layout->addLayout(buttons);

    // Every reset drops the table's cells; new ones take their ticks from the rows.
    connect(appFileController, &QAbstractItemModel::modelReset, this, &OpenWithSheet::makeCells);
}

void OpenWithSheet::setRows(const QString &applicationName, const OpenWithRows &rows)
{
    titleLabel->setText(tr("Tick the extensions that %1 should no longer open, then choose the application "
                           "that opens them from now on.")
                            .arg(applicationName));
    appFileController->setRows(rows);
}

SHTableCellView *OpenWithSheet::cellForRow(int row)
{
    const QModelIndex index = appFileController->index(row, 0);
    if (!index.isValid())
        return nullptr;
    if (auto *cell = qobject_cast<SHTableCellView *>(appFileTableview->indexWidget(index)))
        return cell;
    auto *cell = new SHTableCellView;
    cell->setFileNode(appFileController->rows().at(row));
    appFileTableview->setIndexWidget(index, cell);
    return cell;
}

void OpenWithSheet::makeCells()
{
    for (int row = 0; row < appFileController->rowCount(); ++row)
        cellForRow(row);
}

void OpenWithSheet::showMessage(const QString &text)
{
    messageLabel->setText(text);
    messageLabel->setVisible(!text.isEmpty());
}

ConnectUserSheet::ConnectUserSheet(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("Allow Access"));
    setWindowModality(Qt::WindowModal);
    auto *text = new QLabel(tr("Before changing which applications open your files, Vellumry asks once for "
                               "access to a folder, normally your home folder.\nChoose the folder to allow."),
                            this);
    text->setWordWrap(true);
    connectButton = new QPushButton(tr("Choose Folder…"), this);
    connectButton->setToolTip(tr("Choose the folder Vellumry may use"));
    connectButton->setDefault(true);
    cancelButton = new QPushButton(tr("Cancel"), this);
    cancelButton->setToolTip(tr("Do not allow access now (Esc)"));
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancelButton);
    buttons->addWidget(connectButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(text);
    layout->addLayout(buttons);
    resize(420, 150);
}

} // namespace vellumry
