// The rename and classify sheets' widgets.
#include "reorganise/ui/RenameSheet.h"

#include "views/ui/BackgroundImageView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vellumry {

namespace {

QDialogButtonBox *sheetButtons(QDialog *sheet, QWidget *parent, const QString &confirm, QPushButton **cancelButton,
                               QPushButton **confirmButton)
{
    auto *buttons = new QDialogButtonBox(parent);
    QObject::connect(buttons, &QDialogButtonBox::rejected, sheet, &QDialog::reject);
    *cancelButton = buttons->addButton(QDialogButtonBox::Cancel);
    *confirmButton = buttons->addButton(confirm, QDialogButtonBox::AcceptRole);
    (*confirmButton)->setDefault(true);
    (*cancelButton)->setIcon({}); // plain words, like the confirming button

    return buttons;
}

} // namespace

RenameSheet::RenameSheet(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("Rename Files"));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    renameImageView = new BackgroundImageView(this);
    outer->addWidget(renameImageView);
    auto *inner = new QVBoxLayout(renameImageView);
    inner->setContentsMargins(20, 20, 20, 16);
    auto *form = new QFormLayout;
    inner->addLayout(form);
    renameTypeBtn = new QComboBox(renameImageView);
    renameTypeBtn->setToolTip(tr("Where the new names come from"));
    renameActBtn = new QComboBox(renameImageView);
    renameActBtn->setToolTip(tr("How the new part joins the current name"));
    renameLevelParentBtn = new QComboBox(renameImageView);
    renameLevelParentBtn->setToolTip(tr("How many of the folders above each file to use"));
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
    inner->addStretch(1);
    inner->addWidget(sheetButtons(this, renameImageView, tr("Rename"), &cancelButton, &renameButton));
    setMinimumWidth(460);
}

ClassifySheet::ClassifySheet(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("Classify Files"));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    classifyImageView = new BackgroundImageView(this);
    outer->addWidget(classifyImageView);
    auto *inner = new QVBoxLayout(classifyImageView);
    inner->setContentsMargins(20, 20, 20, 16);
    auto *intro = new QLabel(tr("Every file below the main folder moves into a folder directly inside it. "
                                "What is left at the main folder's top level then goes to the Trash; "
                                "a folder that still holds a file is always kept."),
                             classifyImageView);
    intro->setWordWrap(true);
    inner->addWidget(intro);
    selectClassfiyTypeButton = new QCheckBox(tr("By kind: Image, Video, Audio&& Music, Document, …"), classifyImageView);
    selectClassfiyTypeButton->setToolTip(tr("One folder for each kind of file"));
    selectClassfiyDateButton = new QCheckBox(tr("By date: year / month / day of the last change"), classifyImageView);
    selectClassfiyDateButton->setToolTip(tr("Folders such as 2019/7/4, in your time zone"));
    selectClassfiyTypeButton->setChecked(true);
    inner->addWidget(selectClassfiyTypeButton);
    inner->addWidget(selectClassfiyDateButton);
    inner->addStretch(1);
    inner->addWidget(sheetButtons(this, classifyImageView, tr("Classify"), &cancelButton, &classifyButton));
    setMinimumWidth(460);
}

} // namespace vellumry
