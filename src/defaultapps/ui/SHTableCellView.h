// The cell of the open-with sheet's table: a row's extension with the tick that says whether it takes
// part in the change.
#pragma once

#include "defaultapps/OpenWith.h"

#include <QCheckBox>
#include <QPointer>
#include <QWidget>

namespace vellumry {

class SHTableCellView : public QWidget
{
    Q_OBJECT
public:
    explicit SHTableCellView(QWidget *parent = nullptr);

    // The check box; the cell makes its own, a caller may hand it another.
    QCheckBox *relatedBtn() const { return m_relatedBtn; }
    void setRelatedBtn(QCheckBox *button);
    // The row the cell shows; the check box takes the row's text and tick.
    OpenWithRowRef fileNode() const { return m_fileNode; }
    void setFileNode(const OpenWithRowRef &row);

    // The check box's action: the row's tick follows the check box.
    void SelectAction();
    // Kept for the cell's second column, which opens nothing.
    void OpenFileInFinderAction() {}

private:
    QPointer<QCheckBox> m_relatedBtn;
    OpenWithRowRef m_fileNode;
};

} // namespace vellumry
