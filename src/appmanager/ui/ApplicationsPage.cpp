// The applications page's layout and its table's cells.
#include "appmanager/ui/ApplicationsPage.h"

#include "appmanager/ui/AppTableModel.h"
#include "appmanager/ui/PSTableCellView.h"
#include "views/ui/BackgroundImageView.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

namespace vellumry {

using namespace Qt::StringLiterals;

namespace {

// The colours of the tool-bar button images of the Files tab (resources/make_images.py), light and dark.
struct ButtonColours
{
    const char *border, *top, *bottom, *text, *hover;
};
constexpr ButtonColours kLightButtons{"#ced6e0", "#ffffff", "#f8fafc", "#1f2937", "#eef2f6"};
constexpr ButtonColours kDarkButtons{"#42464b", "#303235", "#2a2c2f", "#e6e9ed", "#3a3d41"};

QString barStyleSheet(const ButtonColours &c)
{
    return uR"(QPushButton { border: 1px solid %1; border-radius: 7px; padding: 0 14px; min-height: 30px;
        background: qlineargradient(x1:0, y1:0, x2:0, y2:1, stop:0 %2, stop:1 %3); color: %4; font-size: 12px; }
QPushButton:hover { background: %5; }
QPushButton:pressed { background: %3; border-color: %4; }
QPushButton:disabled { color: %1; }
QPushButton:focus { border-color: #1a767c; }
QLabel { color: %4; })"_s
        .arg(QLatin1StringView(c.border), QLatin1StringView(c.top), QLatin1StringView(c.bottom),
             QLatin1StringView(c.text), QLatin1StringView(c.hover));
}

} // namespace

ApplicationsPage::ApplicationsPage(NotificationCenter *nc, QWidget *parent) : QWidget(parent), m_nc(nc)
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    barImageView = new BackgroundImageView(this);
    barImageView->setFixedHeight(56);
    auto *bar = new QHBoxLayout(barImageView);
    bar->setContentsMargins(14, 8, 14, 8);
    bar->setSpacing(8);
    scanButton = new QPushButton(tr("Default Applications"), this);
    scanButton->setToolTip(tr("List the applications that open files by default, with their file extensions (F5)"));
    inventoryButton = new QPushButton(tr("Installed Applications"), this);
    inventoryButton->setToolTip(
        tr("List every installed application with how often and when it was used, and its architecture (Shift+F5)"));
    SortButton = new QPushButton(tr("Sort"), this);
    SortButton->setToolTip(tr("Sort the applications by architecture, use, last use or name"));
    sortAppToolMenu = new QMenu(tr("Sort Applications By"), SortButton);
    countLabel = new QLabel(this);
    scanProgressor = new QProgressBar(this);
    scanProgressor->setRange(0, 0); // busy: the number of applications is not known in advance
    scanProgressor->setMaximumWidth(140);
    scanProgressor->setMaximumHeight(14);
    scanProgressor->setTextVisible(false);
    bar->addWidget(scanButton);
    bar->addWidget(inventoryButton);
    bar->addWidget(SortButton);
    bar->addStretch(1);
    bar->addWidget(countLabel);
    bar->addWidget(scanProgressor);
    for (QPushButton *button : {scanButton, inventoryButton, SortButton})
        button->setCursor(Qt::PointingHandCursor);
    layout->addWidget(barImageView);
    applyLook(false);

    appTableview = new QTableView(this);
    appTableview->setFrameShape(QFrame::NoFrame);
    appTableview->setSelectionBehavior(QAbstractItemView::SelectRows);
    appTableview->setSelectionMode(QAbstractItemView::SingleSelection);
    appTableview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    appTableview->setShowGrid(false);
    appTableview->setAlternatingRowColors(true);
    appTableview->setWordWrap(false);
    appTableview->setIconSize({24, 24});
    appTableview->verticalHeader()->hide();
    appTableview->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    appTableview->verticalHeader()->setDefaultSectionSize(34);
    appTableview->horizontalHeader()->setHighlightSections(false);
    layout->addWidget(appTableview, 1);
    emptyHintlab = new QLabel(appTableview->viewport());
    emptyHintlab->setAlignment(Qt::AlignCenter);
    emptyHintlab->setWordWrap(true);
    emptyHintlab->setEnabled(false);
    auto *hintLayout = new QVBoxLayout(appTableview->viewport());
    hintLayout->addWidget(emptyHintlab);
    emptyHintlab->hide();

    scanProgressor->hide();
    SortButton->hide(); // shown from the first finished scan on
}

void ApplicationsPage::applyLook(bool dark)
{
    barImageView->setImageNamed(dark ? u"blackground.png"_s : u"grayimage.png"_s);
    barImageView->setStyleSheet(barStyleSheet(dark ? kDarkButtons : kLightButtons));
}

void ApplicationsPage::setEmptyHint(const QString &text)
{
    emptyHintlab->setText(text);
    emptyHintlab->setVisible(!text.isEmpty());
}

void ApplicationsPage::setModel(AppTableModel *model)
{
    m_model = model;
    appTableview->setModel(model);
    QHeaderView *header = appTableview->horizontalHeader();
    header->setSectionResizeMode(QHeaderView::Interactive);
    header->resizeSection(AppTableModel::NameColumn, 280);
    header->setSectionResizeMode(AppTableModel::DateColumn, QHeaderView::Stretch);
    header->resizeSection(AppTableModel::MDateColumn, 380);
    connect(model, &QAbstractItemModel::modelReset, this, [this] {
        makeCells(0, m_model->rowCount() - 1);
        updateCount();
    });
    connect(model, &QAbstractItemModel::rowsInserted, this, [this](const QModelIndex &, int first, int last) {
        makeCells(first, last);
        updateCount();
    });
    makeCells(0, model->rowCount() - 1);
    updateCount();
}

PSTableCellView *ApplicationsPage::cellAt(int row) const
{
    if (!m_model)
        return nullptr;
    return qobject_cast<PSTableCellView *>(appTableview->indexWidget(m_model->index(row, AppTableModel::MDateColumn)));
}

void ApplicationsPage::makeCells(int first, int last)
{
    for (int row = first; row <= last; ++row) {
        auto *cell = new PSTableCellView(m_nc);
        cell->setAppNode(m_model->nodeAt(row));
        appTableview->setIndexWidget(m_model->index(row, AppTableModel::MDateColumn), cell);
    }
}

void ApplicationsPage::updateCount()
{
    const int n = m_model ? m_model->rowCount() : 0;
    countLabel->setText(n == 1 ? tr("1 application") : tr("%1 applications").arg(n));
}

} // namespace vellumry
