// The rename sheet: where the new names come from, how they join the current ones, and the texts.
#pragma once

#include "reorganise/RenamePlanner.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace vellumry {

class BackgroundImageView;

class RenameSheet : public QDialog
{
    Q_OBJECT
public:
    explicit RenameSheet(QWidget *parent = nullptr);

    // The options as the controls show them now.
    RenameOptions options() const;

    // Shows the controls the chosen source needs (levels for path components, a text for a text) and
    // lists that source's variants again, the first one chosen. Runs when the user picks a source.
    void showModeControls();
    // For a text: the find and replace fields for a replacement, the text field otherwise. Runs when the
    // user picks a variant.
    void showVariantControls();

    BackgroundImageView *renameImageView;
    QComboBox *renameTypeBtn;
    QComboBox *renameActBtn;
    QComboBox *renameLevelParentBtn;
    QLabel *addLevelLab;
    QLabel *addtextLab;
    QLabel *replacetext1Lab;
    QLabel *replacetext2Lab;
    QLineEdit *replaceStrText;
    QLineEdit *replaceWithStrLabText;
    QLineEdit *addTextField;
    QPushButton *cancelButton;
    QPushButton *renameButton;

private:
    void showReplaceFields(bool shown);
};

} // namespace vellumry
