// Layouts of the Preferences and About windows; the controller fills and drives them.
#include "app/PreferencesWindow.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vellumry {

PreferencesWindow::PreferencesWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(tr("Vellumry Preferences"));
    setObjectName(QStringLiteral("perfereceWindow"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 18, 20, 14);
    layout->setSpacing(12);

    autoLunchBtn = new QCheckBox(tr("&Start Vellumry when I log in"), this);
    autoLunchBtn->setToolTip(tr("Adds Vellumry to the programs your desktop starts at login (~/.config/autostart)"));
    layout->addWidget(autoLunchBtn);
    loginMessageLabel = new QLabel(this);
    loginMessageLabel->setWordWrap(true);
    loginMessageLabel->hide();
    layout->addWidget(loginMessageLabel);

    batchPreviewBtn = new QCheckBox(tr("Show a &preview before batch operations"), this);
    batchPreviewBtn->setToolTip(tr("Moves, renames and classifications first list every file they would move "
                                   "or skip, and run only when you press Run"));
    layout->addWidget(batchPreviewBtn);

    auto *form = new QFormLayout;
    usedCountlab = new QLineEdit(this);
    usedCountlab->setMaximumWidth(90);
    usedCountlab->setPlaceholderText(QStringLiteral("10"));
    usedCountlab->setToolTip(tr("The application box lists only applications used more often than this. "
                                "Text that does not start with a number counts as 0."));
    auto *countLabel = new QLabel(tr("List applications &used more than:"), this);
    countLabel->setBuddy(usedCountlab);
    auto *countRow = new QHBoxLayout;
    countRow->addWidget(usedCountlab);
    countRow->addWidget(new QLabel(tr("times"), this));
    countRow->addStretch(1);
    form->addRow(countLabel, countRow);
    layout->addLayout(form);
    layout->addStretch(1);

    closeButton = new QPushButton(tr("Close"), this);
    closeButton->setToolTip(tr("Save the preferences and close the window (Esc)"));
    closeButton->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    setMinimumWidth(420);
}

void PreferencesWindow::closeEvent(QCloseEvent *event)
{
    Q_EMIT closing();
    event->accept();
}

void PreferencesWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        close();
    else
        QWidget::keyPressEvent(event);
}

AboutWindow::AboutWindow(QWidget *parent) : QWidget(parent, Qt::Window)
{
    setWindowTitle(tr("About Vellumry"));
    setObjectName(QStringLiteral("aboutWindow"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(28, 24, 28, 16);
    layout->setSpacing(10);

    auto *logo = new QLabel(this);
    logo->setPixmap(QPixmap(QStringLiteral(":/images/vellumry.png"))
                        .scaled(96, 96, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    logo->setAlignment(Qt::AlignHCenter);
    auto *name = new QLabel(QStringLiteral("Vellumry"), this);
    QFont title = name->font();
    title.setPointSizeF(title.pointSizeF() * 1.6);
    title.setBold(true);
    name->setFont(title);
    name->setAlignment(Qt::AlignHCenter);
    versionLabel = new QLabel(this);
    versionLabel->setAlignment(Qt::AlignHCenter);
    versionLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    auto *blurb = new QLabel(tr("Every file of a folder tree in one place: view, preview, move, classify and "
                                "rename them in batches."),
                             this);
    blurb->setWordWrap(true);
    blurb->setAlignment(Qt::AlignHCenter);
    layout->addWidget(logo);
    layout->addWidget(name);
    layout->addWidget(versionLabel);
    layout->addWidget(blurb);
    layout->addStretch(1);

    productPageButton = new QPushButton(tr("&Web Page"), this);
    productPageButton->setToolTip(tr("Open Vellumry's page in your web browser"));
    supportPageButton = new QPushButton(tr("&Help"), this);
    supportPageButton->setToolTip(tr("Open the help page in your web browser (F1)"));
    closeButton = new QPushButton(tr("Close"), this);
    closeButton->setToolTip(tr("Close this window (Esc)"));
    closeButton->setDefault(true);
    auto *buttons = new QHBoxLayout;
    buttons->addWidget(productPageButton);
    buttons->addWidget(supportPageButton);
    buttons->addStretch(1);
    buttons->addWidget(closeButton);
    layout->addLayout(buttons);
    connect(closeButton, &QPushButton::clicked, this, &QWidget::close);
    setFixedWidth(400);
}

void AboutWindow::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Escape)
        close();
    else
        QWidget::keyPressEvent(event);
}

} // namespace vellumry
