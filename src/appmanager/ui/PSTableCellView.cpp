// The use cell of the applications table.
#include "appmanager/ui/PSTableCellView.h"

#include "appmanager/PMAppNodeNote.h"
#include "appmanager/ui/AppTableModel.h"
#include "platform/NotificationCenter.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace vellumry {

PSTableCellView::PSTableCellView(NotificationCenter *nc, QWidget *parent)
    : QWidget(parent), m_nc(nc), m_usagelab(new QLabel(this)), m_relatedBtn(new QPushButton(tr("Extensions…"), this))
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 0, 4, 0);
    layout->setSpacing(8);
    m_usagelab->setTextInteractionFlags(Qt::NoTextInteraction);
    m_relatedBtn->setToolTip(tr("List the file extensions this application opens"));
    m_relatedBtn->setCursor(Qt::PointingHandCursor);
    m_relatedBtn->setAutoDefault(false);
    layout->addWidget(m_usagelab, 1);
    layout->addWidget(m_relatedBtn);
    connect(m_relatedBtn, &QPushButton::clicked, this, &PSTableCellView::ClicktheRelatedApplication);
}

void PSTableCellView::setAppNode(const PMAppNodeRef &node)
{
    m_appNode = node;
    m_usagelab->setText(node ? appUsageText(*node) : QString());
    m_relatedBtn->setAccessibleName(node ? tr("Extensions of %1").arg(node->shownName()) : QString());
}

void PSTableCellView::ClicktheRelatedApplication()
{
    if (!m_nc)
        return;
    PMAppNodeNote note(m_appNode);
    m_nc->post(Notification::StartScanApplication, &note);
}

} // namespace vellumry
