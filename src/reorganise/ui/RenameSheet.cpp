// The rename sheet's widgets, the controls each choice needs, and the options they make.
#include "reorganise/ui/RenameSheet.h"

#include "platform/Background.h"
#include "reorganise/ui/PlanPreviewModel.h"
#include "reorganise/ui/SheetButtons.h"
#include "views/ui/BackgroundImageView.h"

#include <QComboBox>
#include <QFormLayout>
#include <QHeaderView>
#include <QTableView>
#include <QTimer>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>
#include <initializer_list>

namespace vellumry {

using namespace Qt::StringLiterals;

namespace {

// The variants of each source, in the order of RenameVariant.
QStringList renameVariants(int mode)
{
    switch (std::clamp(mode, 0, 2)) {
    case 0:
        return {RenameSheet::tr("Add parent folder name to beginning"), RenameSheet::tr("Add parent folder name to end"),
                RenameSheet::tr("Replace current name with parent folder name")};
    case 1:
        return {RenameSheet::tr("Add path components to beginning"), RenameSheet::tr("Add path components to end"),
                RenameSheet::tr("Replace current name with path components")};
    default:
        return {RenameSheet::tr("Add text to beginning"), RenameSheet::tr("Add text to end"), RenameSheet::tr("Replace text")};
    }
}

} // namespace

RenameSheet::RenameSheet(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("Rename Files"));
    QVBoxLayout *inner = nullptr;
    renameImageView = BackgroundImageView::fillSheet(this, &inner, {20, 20, 20, 16});
    renameImageView->setImageNamed(u"grayimage.png"_s);
    auto *form = new QFormLayout;
    inner->addLayout(form);
    renameTypeBtn = new QComboBox(renameImageView);
    renameTypeBtn->setToolTip(tr("Where the new names come from"));
    renameTypeBtn->addItems({tr("Parent Folder Name"), tr("Path Components"), tr("Text")});
    renameActBtn = new QComboBox(renameImageView);
    renameActBtn->setToolTip(tr("How the new part joins the current name"));
    renameActBtn->addItems(renameVariants(0));
    renameLevelParentBtn = new QComboBox(renameImageView);
    renameLevelParentBtn->setToolTip(tr("How many of the folders above each file to use"));
    renameLevelParentBtn->addItems({tr("1 level of parent folder"), tr("2 levels of parent folders"),
                                    tr("3 levels of parent folders"), tr("4 levels of parent folders"),
                                    tr("5 levels of parent folders")});
    addLevelLab = new QLabel(tr("Levels:"), renameImageView);
    addtextLab = new QLabel(tr("Text:"), renameImageView);
    replacetext1Lab = new QLabel(tr("Replace:"), renameImageView);
    replacetext2Lab = new QLabel(tr("With:"), renameImageView);
    replaceStrText = new QLineEdit(renameImageView);
    replaceStrText->setToolTip(tr("Found exactly as typed (case counts), in the name without its extension"));
    replaceWithStrLabText = new QLineEdit(renameImageView);
    addTextField = new QLineEdit(renameImageView);
    addTextField->setToolTip(tr("Joined to the name with a space"));
    form->addRow(tr("Rename from:"), renameTypeBtn);
    form->addRow(tr("How:"), renameActBtn);
    form->addRow(addLevelLab, renameLevelParentBtn);
    form->addRow(addtextLab, addTextField);
    form->addRow(replacetext1Lab, replaceStrText);
    form->addRow(replacetext2Lab, replaceWithStrLabText);

    // The live preview: the current and the new name of each file, or the reason it keeps its name.
    previewModel = new PlanPreviewModel(this);
    previewTable = new QTableView(renameImageView);
    previewTable->setModel(previewModel);
    previewTable->verticalHeader()->hide();
    previewTable->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    previewTable->verticalHeader()->setDefaultSectionSize(previewTable->fontMetrics().height() + 6);
    previewTable->horizontalHeader()->setStretchLastSection(true);
    previewTable->setColumnHidden(PlanPreviewModel::FolderColumn, true);
    previewTable->setColumnHidden(PlanPreviewModel::NewFolderColumn, true);
    previewTable->setColumnWidth(PlanPreviewModel::NameColumn, 240);
    previewTable->setWordWrap(false);
    previewTable->setTextElideMode(Qt::ElideMiddle);
    previewTable->setSelectionMode(QAbstractItemView::NoSelection);
    previewTable->setEditTriggers(QAbstractItemView::NoEditTriggers);
    previewTable->setAlternatingRowColors(true);
    previewTable->setShowGrid(false);
    previewTable->setMinimumHeight(180);
    previewCounts = new QLabel(renameImageView);
    inner->addSpacing(8);
    inner->addWidget(previewCounts);
    inner->addWidget(previewTable, 1);
    previewTimer = new QTimer(this);
    previewTimer->setSingleShot(true);
    previewTimer->setInterval(150);
    connect(previewTimer, &QTimer::timeout, this, &RenameSheet::refreshPreview);
    for (QComboBox *box : {renameTypeBtn, renameActBtn, renameLevelParentBtn})
        connect(box, &QComboBox::currentIndexChanged, previewTimer, qOverload<>(&QTimer::start));
    for (QLineEdit *field : {replaceStrText, replaceWithStrLabText, addTextField})
        connect(field, &QLineEdit::textChanged, previewTimer, qOverload<>(&QTimer::start));

    inner->addWidget(sheetButtons(this, renameImageView, tr("Rename"), &cancelButton, &renameButton));
    setMinimumWidth(620);

    // The parent folder's name needs nothing more: every optional control starts hidden.
    for (QWidget *w : std::initializer_list<QWidget *>{addLevelLab, addtextLab, renameLevelParentBtn, addTextField})
        w->hide();
    showReplaceFields(false);
    connect(renameTypeBtn, &QComboBox::activated, this, &RenameSheet::showModeControls);
    connect(renameActBtn, &QComboBox::activated, this, &RenameSheet::showVariantControls);
}

RenameOptions RenameSheet::options() const
{
    RenameOptions options;
    const int mode = renameTypeBtn->currentIndex();
    options.mode = mode == 1 ? RenameMode::PathComponents : mode == 2 ? RenameMode::Text : RenameMode::ParentFolderName;
    const int variant = renameActBtn->currentIndex();
    options.variant = variant == 1   ? RenameVariant::AddToEnd
                      : variant == 2 ? RenameVariant::Replace
                                     : RenameVariant::AddToBeginning;
    options.depth = renameLevelParentBtn->currentIndex() + 1;
    options.text = addTextField->text();
    options.find = replaceStrText->text();
    options.replace = replaceWithStrLabText->text();
    return options;
}

void RenameSheet::setSources(QList<RenameSource> sources)
{
    m_sources = std::move(sources);
    refreshPreview();
}

void RenameSheet::refreshPreview()
{
    previewTimer->stop();
    const quint64 generation = ++m_previewGeneration;
    const RenameOptions now = options();
    // Planning reads the disk (a name taken); a few thousand names take a few milliseconds.
    constexpr qsizetype inlineLimit = 2000;
    constexpr qsizetype firstRows = 200;
    const QList<RenameSource> first = m_sources.size() > inlineLimit ? m_sources.first(firstRows) : m_sources;
    previewModel->setPreview(previewPlan(planRename(first, now)));
    previewCounts->setText(previewModel->countsText(tr("rename")));
    if (m_sources.size() <= inlineLimit)
        return;
    previewCounts->setText(tr("Working out %1 new names…").arg(QLocale().toString(qlonglong(m_sources.size()))));
    runInBackground(
        this, [sources = m_sources, now](const Cancellation &) { return previewPlan(planRename(sources, now)); },
        [this, generation](QList<StepPreview> steps) {
            if (generation != m_previewGeneration)
                return;
            const int top = previewTable->verticalScrollBar()->value();
            previewModel->setPreview(std::move(steps));
            previewTable->verticalScrollBar()->setValue(top);
            previewCounts->setText(previewModel->countsText(tr("rename")));
        });
}

void RenameSheet::showReplaceFields(bool shown)
{
    for (QWidget *w : std::initializer_list<QWidget *>{replacetext1Lab, replacetext2Lab, replaceStrText, replaceWithStrLabText})
        w->setVisible(shown);
}

void RenameSheet::showModeControls()
{
    const int mode = renameTypeBtn->currentIndex();
    renameActBtn->clear();
    renameActBtn->addItems(renameVariants(mode));
    renameActBtn->setCurrentIndex(0);
    addLevelLab->setVisible(mode == 1);
    renameLevelParentBtn->setVisible(mode == 1);
    addtextLab->setVisible(mode == 2);
    addTextField->setVisible(mode == 2);
    showReplaceFields(false);
}

void RenameSheet::showVariantControls()
{
    if (renameTypeBtn->currentIndex() != 2)
        return;
    const bool replace = renameActBtn->currentIndex() == 2;
    addLevelLab->hide(); // the depth list itself stays as it was: it is only read for path components
    addtextLab->setVisible(!replace);
    addTextField->setVisible(!replace);
    showReplaceFields(replace);
}

} // namespace vellumry
