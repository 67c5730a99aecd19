// The preview sheet shown before a batch: every step a run would take or skip, and for a
// classification the top-level entries it would remove or keep; Run or Cancel.
// Any plan can be shown: give it previewPlan(plan) (and previewCleanUp() rows when there is a clean-up).
// The sheet itself runs nothing: its owner connects runButton and the rejected() signal (Cancel, Esc).
// Threading: GUI thread only.
#pragma once

#include "reorganise/BatchExecutor.h"
#include "reorganise/ui/PlanPreviewModel.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;
class QTableView;

namespace vellumry {

class BackgroundImageView;

class PlanPreviewSheet : public QDialog
{
    Q_OBJECT
public:
    explicit PlanPreviewSheet(QWidget *parent = nullptr);

    // Fills the sheet: `title` above the rows ("Rename 12 files"), the counts in words with `verb` for the
    // steps carried out ("move", "rename"), folders relative to `mainFolder` below it. "Show only problems"
    // is cleared, the rows scrolled to the top. `folders`: an undo's folders to make again and to remove.
    void setPreview(const QString &title, const QString &verb, QList<StepPreview> steps,
                    QList<CleanUpOutcome> cleanUp = {}, const QByteArray &mainFolder = {},
                    QList<PlanPreviewModel::FolderRow> folders = {});

    PlanPreviewModel *model;
    ProblemFilterModel *filter;
    BackgroundImageView *imageView;
    QLabel *titleLabel;
    QLabel *countsLabel;
    QTableView *table;
    QCheckBox *problemsOnlyBox; // narrows the rows to the skipped steps
    QPushButton *cancelButton;
    QPushButton *runButton;
};

} // namespace vellumry
