// The Cancel and confirming buttons a sheet ends with.
#pragma once

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

namespace vellumry {

// Cancel rejects the sheet; the confirming button is the default one. Both show plain words.
inline QDialogButtonBox *sheetButtons(QDialog *sheet, QWidget *parent, const QString &confirm,
                                      QPushButton **cancelButton, QPushButton **confirmButton)
{
    auto *buttons = new QDialogButtonBox(parent);
    QObject::connect(buttons, &QDialogButtonBox::rejected, sheet, &QDialog::reject);
    *cancelButton = buttons->addButton(QDialogButtonBox::Cancel);
    *confirmButton = buttons->addButton(confirm, QDialogButtonBox::AcceptRole);
    (*confirmButton)->setDefault(true);
    (*cancelButton)->setIcon({});
    return buttons;
}

} // namespace vellumry
