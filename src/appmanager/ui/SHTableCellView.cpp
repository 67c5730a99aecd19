// A ticked cell of the application file sheet.
#include "appmanager/ui/SHTableCellView.h"

#include <QCheckBox>
#include <QHBoxLayout>

namespace vellumry {

SHTableCellView::SHTableCellView(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 0, 4, 0);
    setRelatedBtn(new QCheckBox(this));
}

void SHTableCellView::setRelatedBtn(QCheckBox *button)
{
    if (m_relatedBtn == button)
        return;
    if (m_relatedBtn)
        disconnect(m_relatedBtn, nullptr, this, nullptr);
    m_relatedBtn = button;
    if (!button)
        return;
    if (button->parentWidget() == this)
        layout()->addWidget(button);
    connect(button, &QCheckBox::toggled, this, &SHTableCellView::SelectAction);
    setFileNode(m_fileNode);
}

void SHTableCellView::setFileNode(const PRUninstallFileNodeRef &node)
{
    m_fileNode = node;
    if (!m_relatedBtn)
        return;
    const QSignalBlocker quiet(m_relatedBtn.data()); // showing the row is not the user ticking it
    m_relatedBtn->setChecked(node && node->bSelected());
}

void SHTableCellView::SelectAction()
{
    if (m_fileNode && m_relatedBtn)
        m_fileNode->setBSelected(m_relatedBtn->isChecked());
}

} // namespace vellumry
