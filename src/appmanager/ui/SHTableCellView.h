// A cell of the application file sheet: a row's name on the check box that ticks the row.
#pragma once

#include "appmanager/PRUninstallFileNode.h"

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
    // The row the cell shows. The check box shows the row's tick, which lives in the row, so a cell the
    // table makes again shows the same tick.
    PRUninstallFileNodeRef fileNode() const { return m_fileNode; }
    void setFileNode(const PRUninstallFileNodeRef &node);

    // The check box was ticked or unticked: the row follows it.
    void SelectAction();
    void OpenFileInFinderAction() {}

private:
    QPointer<QCheckBox> m_relatedBtn;
    PRUninstallFileNodeRef m_fileNode;
};

} // namespace vellumry
