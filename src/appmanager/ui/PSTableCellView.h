// The use cell of an applications table row, with the button that lists what the application opens.
#pragma once

#include "appmanager/PMAppNode.h"

#include <QWidget>

class QLabel;
class QPushButton;

namespace vellumry {

class NotificationCenter;

class PSTableCellView : public QWidget
{
    Q_OBJECT
public:
    explicit PSTableCellView(NotificationCenter *nc, QWidget *parent = nullptr);

    QLabel *usagelab() const { return m_usagelab; }
    void setUsagelab(QLabel *label) { m_usagelab = label; }
    QPushButton *relatedBtn() const { return m_relatedBtn; }
    void setRelatedBtn(QPushButton *button) { m_relatedBtn = button; }
    // The row's record; the label shows its use.
    PMAppNodeRef appNode() const { return m_appNode; }
    void setAppNode(const PMAppNodeRef &node);

    // The related button: announces "StartScanApplication" for the row's record.
    void ClicktheRelatedApplication();

private:
    NotificationCenter *m_nc;
    QLabel *m_usagelab;
    QPushButton *m_relatedBtn;
    PMAppNodeRef m_appNode;
};

} // namespace vellumry
