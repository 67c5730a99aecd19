// The rename and classify sheets: the options of a batch rename, and the choice between kind and date folders.
#pragma once

#include <QDialog>

class QCheckBox;
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
};

class ClassifySheet : public QDialog
{
    Q_OBJECT
public:
    explicit ClassifySheet(QWidget *parent = nullptr);

    BackgroundImageView *classifyImageView;
    // Two check boxes used as a pair: ticking one clears the other, clearing one ticks the other.
    QCheckBox *selectClassfiyTypeButton;
    QCheckBox *selectClassfiyDateButton;
    QPushButton *cancelButton;
    QPushButton *classifyButton;
};

} // namespace vellumry
