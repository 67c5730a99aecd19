// The preview sheet's widgets over the preview model.
#include "reorganise/ui/PlanPreviewSheet.h"

#include "reorganise/ui/PlanPreviewModel.h"
#include "reorganise/ui/SheetButtons.h"
#include "views/ui/BackgroundImageView.h"

#include <QCheckBox>
#include <QHeaderView>
#include <QLabel>
#include <QTableView>
#include <QVBoxLayout>

namespace vellumry {

using namespace Qt::StringLiterals;

PlanPreviewSheet::PlanPreviewSheet(QWidget *parent)
    : QDialog(parent), model(new PlanPreviewModel(this)), filter(new ProblemFilterModel(this))
{
    setWindowTitle(tr("Preview"));
    QVBoxLayout *inner = nullptr;
    imageView = BackgroundImageView::fillSheet(this, &inner);
    imageView->setImageNamed(u"grayimage.png"_s);
    titleLabel = new QLabel(imageView);
    QFont bold = titleLabel->font();
    bold.setBold(true);
    titleLabel->setFont(bold);
    titleLabel->setWordWrap(true);
    countsLabel = new QLabel(imageView);
    inner->addWidget(titleLabel);
    inner->addWidget(countsLabel);

    filter->setSourceModel(model);
    table = new QTableView(imageView);
    table->setModel(filter);
    // Fixed row heights and no sizing to contents: a plan of 100,000 steps opens and scrolls at once.
    table->verticalHeader()->hide();
    table->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 6);
    table->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    table->horizontalHeader()->setStretchLastSection(true);
    table->setWordWrap(false);
    table->setTextElideMode(Qt::ElideMiddle);
    table->setSelectionBehavior(QAbstractItemView::SelectRows);
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setAlternatingRowColors(true);
    table->setShowGrid(false);
    table->setMinimumSize(760, 300);
    const int widths[] = {190, 150, 240};
    for (int column = 0; column < 3; ++column)
        table->setColumnWidth(column, widths[column]);
    inner->addWidget(table, 1);

    problemsOnlyBox = new QCheckBox(tr("Show only &problems"), imageView);
    problemsOnlyBox->setToolTip(tr("Only the files that would be skipped, and why"));
    inner->addWidget(problemsOnlyBox);
    inner->addWidget(sheetButtons(this, imageView, tr("Run"), &cancelButton, &runButton));
    connect(problemsOnlyBox, &QCheckBox::toggled, filter, &ProblemFilterModel::setProblemsOnly);
}

void PlanPreviewSheet::setPreview(const QString &title, const QString &verb, QList<StepPreview> steps,
                                  QList<CleanUpOutcome> cleanUp, const QByteArray &mainFolder,
                                  QList<PlanPreviewModel::FolderRow> folders)
{
    problemsOnlyBox->setChecked(false);
    model->setPreview(std::move(steps), std::move(cleanUp), mainFolder, std::move(folders));
    titleLabel->setText(title);
    countsLabel->setText(model->countsText(verb));
    table->scrollToTop();
}

} // namespace vellumry
