// A ticked cell of the application file sheet.
#include "appmanager/ui/SHTableCellView.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>

namespace vellumry {

SHTableCellView::SHTableCellView(QWidget *parent)
    : QWidget(parent), m_relatedBtn(new QCheckBox(this)), m_textField(new QLabel(this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 0, 4, 0);
    layout->setSpacing(6);
    layout->addWidget(m_relatedBtn);
    layout->addWidget(m_textField, 1);
    connect(m_relatedBtn, &QCheckBox::toggled, this, &SHTableCellView::SelectAction);
}

void SHTableCellView::SelectAction()
{
    if (m_fileNode && m_relatedBtn)
        m_fileNode->setBSelected(m_relatedBtn->isChecked());
}

} // namespace vellumry
