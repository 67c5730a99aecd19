// The request for the one-time grant of a folder.
#include "defaultapps/ui/ConnectUserSheet.h"

#include "views/ui/BackgroundImageView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace vellumry {

using namespace Qt::StringLiterals;

ConnectUserSheet::ConnectUserSheet(QWidget *parent) : QDialog(parent)
{
    setWindowTitle(tr("Allow Access"));
    setWindowModality(Qt::WindowModal);
    auto *text = new QLabel(tr("Before changing which applications open your files, Vellumry asks once for "
                               "access to a folder, normally your home folder.\nChoose the folder to allow."),
                            this);
    text->setWordWrap(true);
    connectButton = new QPushButton(tr("Choose Folder…"), this);
    connectButton->setToolTip(tr("Choose the folder Vellumry may use"));
    connectButton->setDefault(true);
    cancelButton = new QPushButton(tr("Cancel"), this);
    cancelButton->setToolTip(tr("Do not allow access now (Esc)"));
    connect(cancelButton, &QPushButton::clicked, this, &QDialog::reject);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cancelButton);
    buttons->addWidget(connectButton);
    QVBoxLayout *layout = nullptr;
    imageView = BackgroundImageView::fillSheet(this, &layout);
    applyLook(false);
    layout->addWidget(text);
    layout->addLayout(buttons);
    setMinimumWidth(440);
}

void ConnectUserSheet::applyLook(bool dark)
{
    imageView->setImageNamed(dark ? u"blackground.png"_s : u"grayimage.png"_s);
}

} // namespace vellumry
