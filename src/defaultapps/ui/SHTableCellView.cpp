// The open-with sheet's cell: a check box bound to one row's tick.
#include "defaultapps/ui/SHTableCellView.h"

#include <QCheckBox>
#include <QHBoxLayout>

namespace vellumry {

SHTableCellView::SHTableCellView(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 0, 6, 0);
    setAutoFillBackground(true); // covers the table's own painting of the cell
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
    button->setToolTip(tr("Tick to hand this extension to another application"));
    connect(button, &QCheckBox::toggled, this, &SHTableCellView::SelectAction);
    setFileNode(m_fileNode);
}

void SHTableCellView::setFileNode(const OpenWithRowRef &row)
{
    m_fileNode = row;
    if (!m_relatedBtn)
        return;
    const QSignalBlocker quiet(m_relatedBtn.data()); // showing the row is not the user ticking it
    m_relatedBtn->setText(row ? row->fileName : QString());
    m_relatedBtn->setChecked(row && row->bSelected);
}

void SHTableCellView::SelectAction()
{
    if (m_fileNode && m_relatedBtn)
        m_fileNode->bSelected = m_relatedBtn->checkState() == Qt::Checked;
}

} // namespace vellumry
