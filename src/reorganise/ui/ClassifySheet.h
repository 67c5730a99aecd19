// The classify sheet: kind folders or date folders for every file of the main folder.
#pragma once

#include "reorganise/ClassifyPlanner.h"

#include <QDialog>

#include <optional>

class QCheckBox;
class QPushButton;

namespace vellumry {

class BackgroundImageView;

class ClassifySheet : public QDialog
{
    Q_OBJECT
public:
    explicit ClassifySheet(QWidget *parent = nullptr);

    // What the ticked box asks for; none when both are clear (set by hand: a click always ticks the other).
    std::optional<ClassifyBy> classifyBy() const;
    // By date: the date taken when the box below the date box is ticked, else the modification time.
    ClassifyDate classifyDate() const;

    BackgroundImageView *classifyImageView;
    // Two check boxes used as a pair: ticking one clears the other, clearing one ticks the other.
    QCheckBox *selectClassfiyTypeButton;
    QCheckBox *selectClassfiyDateButton;
    // "Use the date taken when recorded": enabled while the date box is ticked.
    QCheckBox *useDateTakenButton;
    QPushButton *cancelButton;
    QPushButton *classifyButton;

    // The pair rule after a click on one box.
    void typeClicked();
    void dateClicked();
};

} // namespace vellumry
