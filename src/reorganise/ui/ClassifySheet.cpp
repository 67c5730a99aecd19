// The classify sheet's widgets and its pair of boxes.
#include "reorganise/ui/ClassifySheet.h"

#include "reorganise/ui/SheetButtons.h"
#include "views/ui/BackgroundImageView.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace vellumry {

using namespace Qt::StringLiterals;

ClassifySheet::ClassifySheet(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("Classify Files"));
    QVBoxLayout *inner = nullptr;
    classifyImageView = BackgroundImageView::fillSheet(this, &inner, {20, 20, 20, 16});
    classifyImageView->setImageNamed(u"grayimage.png"_s);
    auto *intro = new QLabel(tr("Every file below the main folder moves into a folder directly inside it. "
                                "Then the top-level folders left empty are removed; hidden entries, and "
                                "folders that still hold a file, are always kept. Nothing goes to the Trash."),
                             classifyImageView);
    intro->setWordWrap(true);
    inner->addWidget(intro);
    selectClassfiyTypeButton = new QCheckBox(tr("By kind: Image, Video, Audio&& Music, Document, …"), classifyImageView);
    selectClassfiyTypeButton->setToolTip(tr("One folder for each kind of file"));
    selectClassfiyDateButton = new QCheckBox(tr("By date: year / month / day of the last change"), classifyImageView);
    selectClassfiyDateButton->setToolTip(tr("Folders such as 2019/7/4, in your time zone"));
    useDateTakenButton = new QCheckBox(tr("Use the date taken when recorded"), classifyImageView);
    useDateTakenButton->setToolTip(tr("The day a photo or video was taken, as its camera wrote it; files that "
                                      "record none go by their last change"));
    selectClassfiyTypeButton->setChecked(true);
    useDateTakenButton->setEnabled(false);
    inner->addWidget(selectClassfiyTypeButton);
    inner->addWidget(selectClassfiyDateButton);
    auto *takenRow = new QHBoxLayout;
    takenRow->addSpacing(24);
    takenRow->addWidget(useDateTakenButton);
    inner->addLayout(takenRow);
    inner->addStretch(1);
    inner->addWidget(sheetButtons(this, classifyImageView, tr("Classify"), &cancelButton, &classifyButton));
    setMinimumWidth(460);
    connect(selectClassfiyTypeButton, &QCheckBox::clicked, this, &ClassifySheet::typeClicked);
    connect(selectClassfiyDateButton, &QCheckBox::clicked, this, &ClassifySheet::dateClicked);
    connect(selectClassfiyDateButton, &QCheckBox::toggled, useDateTakenButton, &QCheckBox::setEnabled);
}

std::optional<ClassifyBy> ClassifySheet::classifyBy() const
{
    if (selectClassfiyTypeButton->isChecked())
        return ClassifyBy::Kind;
    if (selectClassfiyDateButton->isChecked())
        return ClassifyBy::Date;
    return std::nullopt;
}

ClassifyDate ClassifySheet::classifyDate() const
{
    return useDateTakenButton->isEnabled() && useDateTakenButton->isChecked() ? ClassifyDate::Taken
                                                                              : ClassifyDate::Modified;
}

void ClassifySheet::typeClicked() { selectClassfiyDateButton->setChecked(!selectClassfiyTypeButton->isChecked()); }

void ClassifySheet::dateClicked() { selectClassfiyTypeButton->setChecked(!selectClassfiyDateButton->isChecked()); }

} // namespace vellumry
