// The tray popover's views and what their controls do.
#include "appmanager/ui/PPopoverviewConterller.h"

#include "appmanager/AppBoxStore.h"
#include "platform/NativePath.h"
#include "platform/NotificationCenter.h"
#include "platform/Settings.h"
#include "views/ui/BackgroundImageView.h"
#include "views/ui/FileIcons.h"
#include "views/ui/PRButton.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPainter>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace vellumry {

using namespace Qt::StringLiterals;

namespace {

constexpr int kCellWidth = 96;
constexpr int kCellHeight = 64 + 44;

} // namespace

// ---- the grid ------------------------------------------------------------------------------------------

void AppBoxGridModel::setRecords(const PMAppNodeList &records)
{
    beginResetModel();
    m_records = records;
    endResetModel();
}

int AppBoxGridModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_records.size());
}

QVariant AppBoxGridModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_records.size())
        return {};
    const PMAppNode &node = *m_records.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return node.imageTitle();
    case Qt::DecorationRole:
        return appBoxIcon(node);
    case Qt::ToolTipRole:
        return displayPath(node.appPath());
    case SubtitleRole: {
        // A desktop entry's menu name ("Calculator") under its file name ("org.gnome.Calculator").
        auto cached = m_subtitles.constFind(node.appPath());
        if (cached == m_subtitles.cend())
            cached = m_subtitles.insert(node.appPath(), AppBoxStore::displayName(node.appPath()));
        return *cached == node.imageTitle() ? QString() : *cached;
    }
    case PathRole:
        return node.appPath();
    default:
        return {};
    }
}

QSize AppBoxCellDelegate::sizeHint(const QStyleOptionViewItem &, const QModelIndex &) const
{
    return {kCellWidth, kCellHeight};
}

void AppBoxCellDelegate::paint(QPainter *painter, const QStyleOptionViewItem &option,
                               const QModelIndex &index) const
{
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRect cell = option.rect.adjusted(2, 2, -2, -2);
    const QPalette &palette = option.palette;
    if (option.state & (QStyle::State_Selected | QStyle::State_MouseOver)) {
        QColor fill = palette.color(QPalette::Highlight);
        fill.setAlpha(option.state & QStyle::State_Selected ? 60 : 22);
        painter->setPen(Qt::NoPen);
        painter->setBrush(fill);
        painter->drawRoundedRect(cell, 8, 8);
    }
    const QRect square(cell.left() + (cell.width() - kIconSize) / 2, cell.top() + 4, kIconSize, kIconSize);
    // A soft shadow under the icon.
    for (int i = 3; i >= 1; --i) {
        painter->setPen(Qt::NoPen);
        painter->setBrush(QColor(0, 0, 0, 8 * (4 - i)));
        painter->drawRoundedRect(QRectF(square).adjusted(6 - i, 8 - i, i - 6, i - 2), 10, 10);
    }
    index.data(Qt::DecorationRole).value<QIcon>().paint(painter, square);

    painter->setPen(palette.color(QPalette::Text));
    const QRect titleRect(cell.left() + 2, square.bottom() + 4, cell.width() - 4,
                          option.fontMetrics.height());
    painter->drawText(titleRect, Qt::AlignHCenter | Qt::AlignVCenter,
                      option.fontMetrics.elidedText(index.data(Qt::DisplayRole).toString(), Qt::ElideMiddle,
                                                    titleRect.width()));
    QFont small = option.font;
    small.setPointSizeF(small.pointSizeF() * 0.85);
    painter->setFont(small);
    painter->setPen(palette.color(QPalette::PlaceholderText));
    const QFontMetrics smallMetrics(small);
    const QRect subtitleRect(titleRect.left(), titleRect.bottom() + 1, titleRect.width(),
                             smallMetrics.height());
    painter->drawText(subtitleRect, Qt::AlignHCenter | Qt::AlignVCenter,
                      smallMetrics.elidedText(index.data(AppBoxGridModel::SubtitleRole).toString(),
                                              Qt::ElideRight, subtitleRect.width()));
    painter->restore();
}

QIcon appBoxIcon(const PMAppNode &node)
{
    const QString icon = node.appImage();
    if (!icon.isEmpty()) {
        if (QDir::isAbsolutePath(icon) && QFileInfo::exists(icon))
            return QIcon(icon);
        ensureIconTheme();
        if (QIcon::hasThemeIcon(icon))
            return QIcon::fromTheme(icon);
    }
    return applicationIcon();
}

PSAppNameCellView::PSAppNameCellView(QWidget *parent) : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(4, 2, 4, 2);
    imageView = new QLabel(this);
    imageView->setFixedSize(48, 48);
    auto *texts = new QVBoxLayout;
    texts->setSpacing(2);
    appDatelab = new QLabel(this);
    appNamelab = new QLabel(this);
    QFont small = appNamelab->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    appNamelab->setFont(small);
    texts->addWidget(appDatelab);
    texts->addWidget(appNamelab);
    layout->addWidget(imageView);
    layout->addLayout(texts, 1);
}

// ---- the controller ------------------------------------------------------------------------------------

PPopoverviewConterller::PPopoverviewConterller(Services services, DesktopServices &desktop, QWidget *parent)
    : QWidget(parent), m_services(std::move(services)), m_desktop(desktop)
{
    box = new AppBox(this);
    if (m_services.usage)
        box->setUsageReader(m_services.usage);
    setMinimumSize(380, 440);

    // The box: header with the sort button and the search field, the grid, a status line.
    accessAppView = new QWidget(this);
    auto *accessLayout = new QVBoxLayout(accessAppView);
    accessLayout->setContentsMargins(0, 0, 0, 0);
    accessLayout->setSpacing(0);
    topImageView = new BackgroundImageView(accessAppView);
    auto *header = new QHBoxLayout(topImageView);
    header->setContentsMargins(8, 8, 8, 8);
    allAppBtn = new PRLeftTipButton(m_services.nc, topImageView);
    allAppBtn->setText(tr("Show ▾"));
    allAppBtn->setToolTip(tr("Show the most used, the recently used or all applications of the box"));
    thesearchField = new QLineEdit(topImageView);
    thesearchField->setPlaceholderText(tr("Search"));
    thesearchField->setClearButtonEnabled(true);
    thesearchField->setToolTip(tr("Narrow the box to the applications whose name holds the text (Ctrl+F)"));
    addAppBtn = new QPushButton(tr("Add…"), topImageView);
    addAppBtn->setToolTip(tr("Add a desktop entry or a program to the box (Ctrl+O)"));
    addAppBtn->setShortcut(QKeySequence::Open);
    manageBtn = new QPushButton(tr("Manage"), topImageView);
    manageBtn->setToolTip(tr("List the box's applications with their last use"));
    detachBtn = new QPushButton(tr("⇱"), topImageView);
    detachBtn->setToolTip(tr("Keep the box open in a window of its own"));
    detachBtn->setAccessibleName(tr("Detach"));
    header->addWidget(allAppBtn);
    header->addWidget(thesearchField, 1);
    header->addWidget(addAppBtn);
    header->addWidget(manageBtn);
    header->addWidget(detachBtn);
    accessLayout->addWidget(topImageView);

    imageBrowserView = new QListView(accessAppView);
    theScrollView = imageBrowserView;
    gridModel = new AppBoxGridModel(this);
    imageBrowserView->setModel(gridModel);
    imageBrowserView->setItemDelegate(new AppBoxCellDelegate(imageBrowserView));
    imageBrowserView->setViewMode(QListView::IconMode);
    imageBrowserView->setResizeMode(QListView::Adjust);
    imageBrowserView->setMovement(QListView::Static);
    imageBrowserView->setUniformItemSizes(true);
    imageBrowserView->setGridSize({kCellWidth + 4, kCellHeight + 4});
    imageBrowserView->setSelectionMode(QAbstractItemView::SingleSelection);
    imageBrowserView->setFrameShape(QFrame::NoFrame);
    imageBrowserView->setMouseTracking(true);
    imageBrowserView->setContextMenuPolicy(Qt::CustomContextMenu);
    accessLayout->addWidget(imageBrowserView, 1);
    // What an empty box or an empty search shows in place of the grid.
    emptyHintlab = new QLabel(imageBrowserView->viewport());
    emptyHintlab->setAlignment(Qt::AlignCenter);
    emptyHintlab->setWordWrap(true);
    emptyHintlab->setEnabled(false);
    auto *hintLayout = new QVBoxLayout(imageBrowserView->viewport());
    hintLayout->addWidget(emptyHintlab);
    boxStatuslab = new QLabel(accessAppView);
    boxStatuslab->setContentsMargins(8, 2, 8, 4);
    boxStatuslab->setWordWrap(true);
    accessLayout->addWidget(boxStatuslab);

    // The manage view: the table and the way back.
    manageAppView = new QWidget(this);
    auto *manageLayout = new QVBoxLayout(manageAppView);
    manageLayout->setContentsMargins(0, 0, 0, 0);
    backBtn = new QPushButton(tr("‹ Back to the Box"), manageAppView);
    backBtn->setToolTip(tr("Show the box again (Esc)"));
    backBtn->setShortcut(Qt::Key_Escape);
    manageAppTableView = new QTableWidget(0, 4, manageAppView);
    const QStringList identifiers{u"AppName"_s, u"AppSize"_s, u"AppDoc"_s, u"AppCache"_s};
    const QStringList titles{tr("Application"), tr("Size"), tr("Documents"), tr("Cache")};
    for (int column = 0; column < identifiers.size(); ++column) {
        auto *item = new QTableWidgetItem(titles.at(column));
        item->setData(Qt::UserRole, identifiers.at(column));
        manageAppTableView->setHorizontalHeaderItem(column, item);
    }
    manageAppTableView->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    manageAppTableView->verticalHeader()->hide();
    manageAppTableView->verticalHeader()->setDefaultSectionSize(56);
    manageAppTableView->setSelectionBehavior(QAbstractItemView::SelectRows);
    manageAppTableView->setSelectionMode(QAbstractItemView::SingleSelection);
    manageAppTableView->setEditTriggers(QAbstractItemView::NoEditTriggers);
    manageAppTableView->setShowGrid(false);
    manageLayout->addWidget(backBtn, 0, Qt::AlignLeft);
    manageLayout->addWidget(manageAppTableView, 1);

    stateAppView = new QWidget(this);

    // Menus: the sort menu of allAppBtn and the grid items' context menu.
    sortAppMenu = new QMenu(this);
    sortAppMenu->addAction(tr("Most Used"), this, &PPopoverviewConterller::ArrageArrayByUsedCount)
        ->setToolTip(tr("The applications used more often than the preferences' threshold, most used first"));
    sortAppMenu->addAction(tr("Used in the Last 7 Days"), this, &PPopoverviewConterller::ArrageArrayByDate);
    sortAppMenu->addAction(tr("All Applications"), this, &PPopoverviewConterller::ArrageArrayByName);
    AppMenu = new QMenu(this);
    const auto gridAction = [this](const QString &text, const QKeySequence &key,
                                   void (PPopoverviewConterller::*slot)()) {
        QAction *action = AppMenu->addAction(text, this, slot);
        action->setShortcut(key);
        action->setShortcutContext(Qt::WidgetShortcut);
        imageBrowserView->addAction(action);
        return action;
    };
    gridAction(tr("Open"), Qt::Key_Return, &PPopoverviewConterller::OpenAppsAction);
    gridAction(tr("Show in File Manager"), QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_R),
               &PPopoverviewConterller::ShowAppsInFinderAction);
    gridAction(tr("Remove from the Box"), QKeySequence::Delete,
               &PPopoverviewConterller::RemoveitemFromViewAction);
    auto *findAction = new QAction(this);
    findAction->setShortcut(QKeySequence::Find);
    findAction->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(findAction, &QAction::triggered, thesearchField, [this] { thesearchField->setFocus(); });
    addAction(findAction);

    // The menu's actions run after it hides: the clicked record is let go once they have.
    connect(AppMenu, &QMenu::aboutToHide, this,
            [this] { QMetaObject::invokeMethod(this, [this] { m_menuRecord.reset(); }, Qt::QueuedConnection); });
    connect(box, &AppBox::initFilterViewThreadHandle, this, &PPopoverviewConterller::freshView);
    connect(thesearchField, &QLineEdit::textChanged, this, [this] { controlTextDidChange(thesearchField); });
    connect(addAppBtn, &QPushButton::clicked, this, &PPopoverviewConterller::AddMoreAppsAction);
    connect(manageBtn, &QPushButton::clicked, this, &PPopoverviewConterller::ChangeToAppManageView);
    connect(backBtn, &QPushButton::clicked, this, &PPopoverviewConterller::ChangeToAppAccessView);
    connect(detachBtn, &QPushButton::clicked, this, &PPopoverviewConterller::detachRequested);
    connect(imageBrowserView, &QListView::activated, this, [this] { OpenAppsAction(); });
    connect(imageBrowserView, &QListView::customContextMenuRequested, this, [this](const QPoint &pos) {
        const QModelIndex index = imageBrowserView->indexAt(pos);
        if (!index.isValid())
            return;
        imageBrowserView->setCurrentIndex(index);
        imageBrowserCellWasRightClickedAtIndex(index.row(), imageBrowserView->viewport()->mapToGlobal(pos));
    });
    connect(manageAppTableView, &QTableWidget::itemSelectionChanged, this,
            &PPopoverviewConterller::tableViewSelectionDidChange);
    if (m_services.nc)
        m_services.nc->observe(Notification::LeftButtonMouseDown, this,
                               [this](QObject *sender) { PRLeftTipButtonMouseDownHandle(sender); });

    topImageView->setImageNamed(u"whiteground.png"_s);
    setStatus({});
    initView();
}

PPopoverviewConterller::~PPopoverviewConterller() = default;

void PPopoverviewConterller::initView()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(accessAppView);
    layout->addWidget(manageAppView);
    layout->addWidget(stateAppView);
    accessAppView->show();
    manageAppView->hide();
    stateAppView->hide();
    setTableViewColor();
}

void PPopoverviewConterller::setTableViewColor()
{
    // The grid lies on the popover's own background.
    theScrollView->viewport()->setAutoFillBackground(false);
    theScrollView->setStyleSheet(u"QListView { background: transparent; }"_s);
}

void PPopoverviewConterller::restoreFromDefaults()
{
    for (const QString &path : AppBoxStore::storedPaths(*m_services.settings))
        AddAppItemArray(
            AppBoxStore::makeRecord(path, m_services.lastUsed ? m_services.lastUsed(path) : QDateTime()));
    freshView();
}

void PPopoverviewConterller::freshView()
{
    gridModel->setRecords(box->getAppItemArray());
    updateEmptyHint();
}

void PPopoverviewConterller::updateEmptyHint()
{
    if (gridModel->rowCount() > 0)
        emptyHintlab->clear();
    else if (box->backupArray().isEmpty())
        emptyHintlab->setText(tr("Your box is empty.\nAdd… puts your favourite applications here."));
    else
        emptyHintlab->setText(tr("Nothing to show in this order or for this search."));
    emptyHintlab->setVisible(gridModel->rowCount() == 0);
}

void PPopoverviewConterller::ChangeToAppManageView()
{
    accessAppView->hide();
    stateAppView->hide();
    manageAppView->show();
    appArrayController = box->getAppItemArray();
    reloadManageTable();
}

void PPopoverviewConterller::ChangeToAppAccessView()
{
    manageAppView->hide();
    stateAppView->hide();
    accessAppView->show();
    imageBrowserView->setFocus();
}

bool PPopoverviewConterller::isManageViewShown() const
{
    return !manageAppView->isHidden();
}

void PPopoverviewConterller::AddMoreAppsAction()
{
    if (theOpenPanel) {
        theOpenPanel->raise();
        theOpenPanel->activateWindow();
        return;
    }
    // Parentless: the popover closes when another window takes the focus, and must not take the panel along.
    auto *panel = new QFileDialog(nullptr, tr("Add an Application to the Box"), QDir::homePath());
    panel->setAttribute(Qt::WA_DeleteOnClose);
    panel->setFileMode(QFileDialog::ExistingFile);
    panel->setAcceptMode(QFileDialog::AcceptOpen);
    panel->setLabelText(QFileDialog::Accept, tr("Add"));
    QList<QUrl> places{QUrl::fromLocalFile(QDir::homePath())};
    for (const QString &folder : QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation))
        places.append(QUrl::fromLocalFile(folder));
    places.append(QUrl::fromLocalFile(u"/usr/share/applications"_s));
    panel->setSidebarUrls(places);
    theOpenPanel = panel;
    connect(panel, &QFileDialog::finished, this, &PPopoverviewConterller::openPanelDidEnd);
    panel->open();
}

void PPopoverviewConterller::openPanelDidEnd(int returnCode)
{
    if (!theOpenPanel)
        return;
    if (returnCode == QDialog::Accepted) {
        addChosenApplications(theOpenPanel->selectedFiles());
    } else {
        freshView();
    }
}

void PPopoverviewConterller::addChosenApplications(const QStringList &paths)
{
    QStringList added, refused;
    for (const QString &path : paths) {
        const AppBoxStore::Acceptance acceptance = AppBoxStore::accepts(path);
        if (!acceptance.ok) {
            refused.append(tr("%1 (%2)").arg(displayPath(QFileInfo(path).fileName()), acceptance.reason));
            continue;
        }
        AddAppItemArray(
            AppBoxStore::makeRecord(path, m_services.lastUsed ? m_services.lastUsed(path) : QDateTime()));
        added.append(path);
    }
    const bool stored = added.isEmpty() || AppBoxStore::appendPaths(*m_services.settings, added);
    freshView();
    QString status;
    if (!refused.isEmpty())
        status = tr("Not an application: %1").arg(refused.join(u", "_s));
    if (!stored)
        status = tr("The box could not be saved; the added applications are gone at the next start.");
    setStatus(status);
}

PMAppNodeRef PPopoverviewConterller::targetRecord() const
{
    return m_menuRecord ? m_menuRecord : firstSelectedRecord();
}

PMAppNodeRef PPopoverviewConterller::firstSelectedRecord() const
{
    const int index = firstSelectedIndex();
    const PMAppNodeList shown = gridModel->records();
    return index >= 0 && index < shown.size() ? shown.at(index) : PMAppNodeRef();
}

int PPopoverviewConterller::firstSelectedIndex() const
{
    const QModelIndexList rows = imageBrowserView->selectionModel()->selectedIndexes();
    int first = -1;
    for (const QModelIndex &index : rows)
        first = first < 0 ? index.row() : std::min(first, index.row());
    return first;
}

void PPopoverviewConterller::OpenAppsAction()
{
    const PMAppNodeRef node = targetRecord();
    if (!node)
        return;
    // Only what the box would still accept is started: an entry gone or no longer runnable is refused.
    const AppBoxStore::Acceptance acceptance = AppBoxStore::accepts(node->appPath());
    const ActionResult result = acceptance.ok ? m_desktop.launch(toNativePath(node->appPath()))
                                              : ActionResult{false, acceptance.reason};
    setStatus(result.ok ? QString()
                        : tr("%1 could not be opened: %2").arg(node->imageTitle(), result.reason));
}

void PPopoverviewConterller::ShowAppsInFinderAction()
{
    const PMAppNodeRef node = targetRecord();
    if (!node)
        return;
    const ActionResult result = m_desktop.reveal(toNativePath(node->appPath()));
    setStatus(result.ok ? QString() : tr("%1 could not be shown: %2").arg(node->imageTitle(), result.reason));
}

void PPopoverviewConterller::RemoveitemFromViewAction()
{
    // The record the user picked, wherever a search has moved it since (or whether it is still shown at all):
    // it leaves the box and the stored list.
    const PMAppNodeRef node = targetRecord();
    m_menuRecord.reset();
    if (!node)
        return;
    box->removeShown(node);
    const int removed = AppBoxStore::removeEveryEntry(*m_services.settings, node->appPath());
    setStatus(removed < 0
                  ? tr("The box could not be saved; %1 comes back at the next start.").arg(node->imageTitle())
                  : QString());
    freshView();
}

void PPopoverviewConterller::ArrageArrayByUsedCount()
{
    box->ArrageArrayByUsedCount(m_services.usedCountThreshold ? m_services.usedCountThreshold() : 0);
}

void PPopoverviewConterller::ArrageArrayByDate()
{
    // Both whole-box orders start from every application: a search text would no longer describe them.
    const QSignalBlocker quiet(thesearchField);
    thesearchField->clear();
    box->ArrageArrayByDate(now());
}

void PPopoverviewConterller::ArrageArrayByName()
{
    const QSignalBlocker quiet(thesearchField);
    thesearchField->clear();
    box->ArrageArrayByName();
}

void PPopoverviewConterller::PRLeftTipButtonMouseDownHandle(QObject *sender)
{
    if (sender != allAppBtn)
        return;
    lastSortMenuPoint = QPoint(50, 30);
    sortAppMenu->popup(allAppBtn->mapToGlobal(lastSortMenuPoint));
}

void PPopoverviewConterller::controlTextDidChange(QObject *sender)
{
    if (sender != thesearchField)
        return;
    box->controlTextDidChange(thesearchField->text());
}

void PPopoverviewConterller::imageBrowserCellWasRightClickedAtIndex(int index, const QPoint &globalPos)
{
    const PMAppNodeRef node = gridModel->records().value(index);
    if (!node || node->appName() == u"Add Apps"_s)
        return;
    m_menuRecord = node;
    AppMenu->popup(globalPos);
}

QWidget *PPopoverviewConterller::tableViewForTableColumnRow(const QString &identifier, int row)
{
    if (row < 0 || row >= appArrayController.size())
        return nullptr;
    const PMAppNode &node = *appArrayController.at(row);
    if (identifier == u"AppName"_s) {
        auto *cell = new PSAppNameCellView;
        cell->imageView->setPixmap(appBoxIcon(node).pixmap(48, 48));
        if (!node.appName().isEmpty())
            cell->appDatelab->setText(node.appName());
        const QDateTime lastUsed = (m_services.usage ? m_services.usage(node) : recordedUsage(node)).lastUsed;
        if (lastUsed.isValid())
            cell->appNamelab->setText(tr("Last Used: %1").arg(elapsedTimeText(lastUsed, now())));
        cell->setToolTip(displayPath(node.appPath()));
        return cell;
    }
    QString text;
    if (identifier == u"AppSize"_s)
        text = node.appSizeStr();
    else if (identifier == u"AppDoc"_s)
        text = node.appdocumentSizeStr().isEmpty() ? u"Calculating"_s : node.appdocumentSizeStr();
    else if (identifier == u"AppCache"_s)
        text = node.appcacheSizeStr().isEmpty() ? u"Calculating"_s : node.appcacheSizeStr();
    else
        return nullptr;
    auto *label = new QLabel(text);
    label->setContentsMargins(6, 0, 6, 0);
    return label;
}

void PPopoverviewConterller::reloadManageTable()
{
    manageAppTableView->clearContents();
    manageAppTableView->setRowCount(numberOfRowsInTableView());
    for (int row = 0; row < manageAppTableView->rowCount(); ++row) {
        for (int column = 0; column < manageAppTableView->columnCount(); ++column) {
            const QString identifier =
                manageAppTableView->horizontalHeaderItem(column)->data(Qt::UserRole).toString();
            if (QWidget *cell = tableViewForTableColumnRow(identifier, row))
                manageAppTableView->setCellWidget(row, column, cell);
        }
    }
}

void PPopoverviewConterller::tableViewSelectionDidChange()
{
    // The selected row keeps the quiet, unfocused highlight.
    QPalette palette = manageAppTableView->palette();
    palette.setColor(QPalette::Active, QPalette::Highlight,
                     palette.color(QPalette::Inactive, QPalette::Highlight));
    palette.setColor(QPalette::Active, QPalette::HighlightedText,
                     palette.color(QPalette::Inactive, QPalette::HighlightedText));
    manageAppTableView->setPalette(palette);
}

QString PPopoverviewConterller::statusText() const
{
    return boxStatuslab->text();
}

void PPopoverviewConterller::setStatus(const QString &text)
{
    boxStatuslab->setText(text);
    boxStatuslab->setVisible(!text.isEmpty());
}

QDateTime PPopoverviewConterller::now() const
{
    return m_services.now ? m_services.now() : QDateTime::currentDateTimeUtc();
}

} // namespace vellumry
