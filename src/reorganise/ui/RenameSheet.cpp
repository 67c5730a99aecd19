// The rename and classify sheets' widgets.
#include "reorganise/ui/RenameSheet.h"

#include "views/ui/BackgroundImageView.h"

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace vellumry {

RenameSheet::RenameSheet(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("Rename Files"));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    renameImageView = new BackgroundImageView(this);
    outer->addWidget(renameImageView);
    auto *form = new QFormLayout(renameImageView);
    form->setContentsMargins(20, 20, 20, 20);
    renameTypeBtn = new QComboBox(renameImageView);
    renameActBtn = new QComboBox(renameImageView);
    renameLevelParentBtn = new QComboBox(renameImageView);
    addLevelLab = new QLabel(tr("Levels:"), renameImageView);
    addtextLab = new QLabel(tr("Text:"), renameImageView);
    replacetext1Lab = new QLabel(tr("Replace:"), renameImageView);
    replacetext2Lab = new QLabel(tr("With:"), renameImageView);
    replaceStrText = new QLineEdit(renameImageView);
    replaceWithStrLabText = new QLineEdit(renameImageView);
    addTextField = new QLineEdit(renameImageView);
    form->addRow(tr("Rename from:"), renameTypeBtn);
    form->addRow(tr("How:"), renameActBtn);
    form->addRow(addLevelLab, renameLevelParentBtn);
    form->addRow(addtextLab, addTextField);
    form->addRow(replacetext1Lab, replaceStrText);
    form->addRow(replacetext2Lab, replaceWithStrLabText);
}

ClassifySheet::ClassifySheet(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("Classify Files"));
    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    classifyImageView = new BackgroundImageView(this);
    outer->addWidget(classifyImageView);
}

} // namespace vellumry
