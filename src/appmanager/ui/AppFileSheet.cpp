// The application file sheet's table, cells and layout.
#include "appmanager/ui/AppFileSheet.h"

#include "appmanager/ui/SHTableCellView.h"
#include "views/ui/BackgroundImageView.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace vellumry {

using namespace Qt::StringLiterals;

QString AppFileListModel::columnIdentifier(int column)
{
    switch (column) {
    case NameColumn:
        return u"Name"_s;
    case SizeColumn:
        return u"Size"_s;
    case LocationColumn:
        return u"Location"_s;
    default:
        return {};
    }
}

int AppFileListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int AppFileListModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

PRUninstallFileNodeRef AppFileListModel::nodeAt(int row) const
{
    return row >= 0 && row < m_rows.size() ? m_rows.at(row) : PRUninstallFileNodeRef();
}

QVariant AppFileListModel::data(const QModelIndex &index, int role) const
{
    const PRUninstallFileNodeRef node = nodeAt(index.row());
    if (!node || !index.isValid() || index.column() != SizeColumn)
        return {}; // the other columns are cell views
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return node->filePath();
    return {};
}

QVariant AppFileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == IdentifierRole)
        return columnIdentifier(section);
    if (role != Qt::DisplayRole)
        return {};
    switch (section) {
    case NameColumn:
        return tr("Extension");
    case SizeColumn:
        return tr("Opened by");
    default:
        return QString();
    }
}

void AppFileListModel::setContent(const PRUninstallFileNodeList &rows)
{
    beginResetModel();
    m_rows = rows;
    endResetModel();
}

AppFileSheet::AppFileSheet(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("File Extensions"));
    setWindowModality(Qt::WindowModal);
    setMinimumSize(480, 380);
    QVBoxLayout *layout = nullptr;
    imageView = BackgroundImageView::fillSheet(this, &layout);
    applyLook(false);
    auto *title = new QHBoxLayout;
    title->setSpacing(12);
    iconLabel = new QLabel(this);
    iconLabel->setFixedSize(32, 32);
    titleLabel = new QLabel(this);
    titleLabel->setWordWrap(true);
    title->addWidget(iconLabel);
    title->addWidget(titleLabel, 1);
    layout->addLayout(title);

    appFileController = new AppFileListModel(this);
    appFileTableview = new QTableView(this);
    appFileTableview->setModel(appFileController);
    appFileTableview->setSelectionBehavior(QAbstractItemView::SelectRows);
    appFileTableview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    appFileTableview->setShowGrid(false);
    appFileTableview->setAlternatingRowColors(true);
    appFileTableview->verticalHeader()->hide();
    appFileTableview->verticalHeader()->setDefaultSectionSize(28);
    QHeaderView *header = appFileTableview->horizontalHeader();
    header->setHighlightSections(false);
    header->resizeSection(AppFileListModel::NameColumn, 200);
    header->setStretchLastSection(true); // the last shown one: "Opened by"
    layout->addWidget(appFileTableview, 1);
    // Every reset drops the table's cells; new ones take their ticks from the rows.
    connect(appFileController, &QAbstractItemModel::modelReset, this, &AppFileSheet::makeCells);
    messageLabel = new QLabel(this);
    messageLabel->setWordWrap(true);
    messageLabel->hide();
    layout->addWidget(messageLabel);

    auto *buttons = new QHBoxLayout;
    scanAppFileProgressor = new QProgressBar(this);
    scanAppFileProgressor->setRange(0, 0);
    scanAppFileProgressor->setMaximumWidth(120);
    scanAppFileProgressor->setMaximumHeight(14);
    scanAppFileProgressor->setTextVisible(false);
    scanAppFileProgressor->hide();
    changeButton = new QPushButton(tr("Change Application…"), this);
    changeButton->setToolTip(tr("Choose the application that opens the ticked extensions from now on"));
    changeButton->setDefault(true);
    closeButton = new QPushButton(tr("Close"), this);
    closeButton->setToolTip(tr("Close without changing anything (Esc)"));
    closeButton->setAutoDefault(false);
    buttons->addWidget(scanAppFileProgressor);
    buttons->addStretch(1);
    buttons->addWidget(closeButton);
    buttons->addWidget(changeButton);
    layout->addLayout(buttons);
}

void AppFileSheet::setApplicationName(const QString &name, const QIcon &icon)
{
    iconLabel->setPixmap(icon.pixmap(32, 32));
    iconLabel->setVisible(!icon.isNull());
    titleLabel->setText(tr("The file extensions that %1 opens. Tick those it should no longer open, then "
                           "choose the application that opens them from now on.")
                            .arg(name));
}

void AppFileSheet::applyLook(bool dark)
{
    imageView->setImageNamed(dark ? u"blackground.png"_s : u"grayimage.png"_s);
}

void AppFileSheet::showMessage(const QString &text)
{
    messageLabel->setText(text);
    messageLabel->setVisible(!text.isEmpty());
}

SHTableCellView *AppFileSheet::cellAt(int row, int column)
{
    if (!appFileController->nodeAt(row) ||
        (column != AppFileListModel::NameColumn && column != AppFileListModel::LocationColumn))
        return nullptr;
    if (auto *cell = qobject_cast<SHTableCellView *>(
            appFileTableview->indexWidget(appFileController->index(row, column))))
        return cell;
    return makeCell(row, column);
}

SHTableCellView *AppFileSheet::makeCell(int row, int column)
{
    const PRUninstallFileNodeRef node = appFileController->nodeAt(row);
    auto *cell = new SHTableCellView;
    cell->setFileNode(node);
    if (column == AppFileListModel::NameColumn) {
        const QString name =
            node->fileName().isEmpty() ? node->filePath().section(u'/', -1) : node->fileName();
        cell->relatedBtn()->setText(name);
        cell->relatedBtn()->setToolTip(tr("Tick to hand %1 to another application").arg(name));
    } else {
        cell->relatedBtn()->hide(); // the location cell only carries its row
    }
    appFileTableview->setIndexWidget(appFileController->index(row, column), cell);
    return cell;
}

void AppFileSheet::makeCells()
{
    // The location cells only carry their rows; nothing in them is worth a column on screen. Hidden
    // here, after each reset of the model, so no reset brings the column back.
    appFileTableview->setColumnHidden(AppFileListModel::LocationColumn, true);
    for (int row = 0; row < appFileController->rowCount(); ++row) {
        makeCell(row, AppFileListModel::NameColumn);
        makeCell(row, AppFileListModel::LocationColumn);
    }
}

} // namespace vellumry
