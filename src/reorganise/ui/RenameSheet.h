// The rename sheet's controls: the three option lists and the fields each rename type needs.
#pragma once

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;

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
};

class ClassifySheet : public QDialog
{
    Q_OBJECT
public:
    explicit ClassifySheet(QWidget *parent = nullptr);
    BackgroundImageView *classifyImageView;
};

} // namespace vellumry
