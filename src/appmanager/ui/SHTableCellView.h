// A cell of the application file sheet: a row's name with the tick that chooses it.
#pragma once

#include "appmanager/PRUninstallFileNode.h"

#include <QWidget>

class QCheckBox;
class QLabel;

namespace vellumry {

class SHTableCellView : public QWidget
{
    Q_OBJECT
public:
    explicit SHTableCellView(QWidget *parent = nullptr);

    QCheckBox *relatedBtn() const { return m_relatedBtn; }
    void setRelatedBtn(QCheckBox *button) { m_relatedBtn = button; }
    QLabel *textField() const { return m_textField; }
    PRUninstallFileNodeRef fileNode() const { return m_fileNode; }
    void setFileNode(const PRUninstallFileNodeRef &node) { m_fileNode = node; }

    // The tick went on or off: the row's record follows it.
    void SelectAction();
    void OpenFileInFinderAction() {}

private:
    QCheckBox *m_relatedBtn;
    QLabel *m_textField;
    PRUninstallFileNodeRef m_fileNode;
};

} // namespace vellumry
