// The rename sheet: where the new names come from, how they join the current ones, and the texts.
#pragma once

#include "reorganise/RenamePlanner.h"

#include <QDialog>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class QTimer;

namespace vellumry {

class BackgroundImageView;
class PlanPreviewModel;

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

    // The files to rename, in the order of the shown list: their new names are previewed at once, then
    // again about 150 ms after each change of the controls. A few thousand are planned inline; for more,
    // the first rows are shown at once and the whole list follows from the background pool.
    void setSources(QList<RenameSource> sources);
    void refreshPreview();

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
    PlanPreviewModel *previewModel; // old name → new name, or why the file keeps its name
    QTableView *previewTable;
    QLabel *previewCounts;
    QTimer *previewTimer; // the debounce of the live preview

private:
    void showReplaceFields(bool shown);

    QList<RenameSource> m_sources;
    quint64 m_previewGeneration = 0; // a background preview older than the controls is dropped
};

} // namespace vellumry
