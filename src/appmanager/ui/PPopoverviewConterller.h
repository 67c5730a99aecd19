// The tray popover's content: the box of favourite applications (icon grid, search, sort menu), its
// manage view (a table of the box's applications) and a hidden third view.
#pragma once

#include "appmanager/AppBox.h"
#include "platform/DesktopServices.h"

#include <QAbstractListModel>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QWidget>

#include <functional>

class QAbstractScrollArea;
class QFileDialog;
class QLabel;
class QLineEdit;
class QListView;
class QMenu;
class QPushButton;
class QTableWidget;

namespace vellumry {

class BackgroundImageView;
class NotificationCenter;
class PRLeftTipButton;
class Settings;

// The grid's rows: the records the box shows now.
class AppBoxGridModel : public QAbstractListModel
{
    Q_OBJECT
public:
    enum Role
    {
        SubtitleRole = Qt::UserRole + 1,
        PathRole
    };
    using QAbstractListModel::QAbstractListModel;
    void setRecords(const PMAppNodeList &records);
    PMAppNodeList records() const { return m_records; }
    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

private:
    PMAppNodeList m_records;
    mutable QHash<QString, QString> m_subtitles; // the desktop entries' shown names, read once
};

// One grid cell: the 64 by 64 icon with a soft shadow, the title and a smaller subtitle below.
class AppBoxCellDelegate : public QStyledItemDelegate
{
    Q_OBJECT
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    static constexpr int kIconSize = 64;
    void paint(QPainter *painter, const QStyleOptionViewItem &option,
               const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;
};

// The icon of a box entry: the desktop entry's icon, or the executable icon.
QIcon appBoxIcon(const PMAppNode &node);

// The manage table's cell for an application: icon, name and last use.
class PSAppNameCellView : public QWidget
{
    Q_OBJECT
public:
    explicit PSAppNameCellView(QWidget *parent = nullptr);
    QLabel *imageView;
    QLabel *appNamelab; // the last use ("Last Used: 2 days(s) ago")
    QLabel *appDatelab; // the application's name
};

class PPopoverviewConterller : public QWidget
{
    Q_OBJECT
public:
    struct Services
    {
        Settings *settings = nullptr;
        NotificationCenter *nc = nullptr;
        std::function<int()> usedCountThreshold;            // the preferences' threshold
        std::function<QDateTime(const QString &)> lastUsed; // the desktop's record, when known
        AppUsageReader usage;                               // default: the records' own fields
        std::function<QDateTime()> now;                     // default: the clock
    };

    // `desktop` starts the box's applications (those the box still accepts) and shows them in the file
    // manager; it outlives the controller.
    PPopoverviewConterller(Services services, DesktopServices &desktop, QWidget *parent = nullptr);
    ~PPopoverviewConterller() override;

    // The box's lists.
    AppBox *box;
    PMAppNodeList getAppItemArray() const { return box->getAppItemArray(); }
    void AddAppItemArray(const PMAppNodeRef &node) { box->AddAppItemArray(node); }
    // Refills the box from the stored paths (at launch).
    void restoreFromDefaults();

    void initView();
    void setTableViewColor();
    void freshView(); // reloads the grid
    void updateEmptyHint(); // the hint an empty grid shows
    void ChangeToAppManageView();
    void ChangeToAppAccessView();
    bool isManageViewShown() const;

    void AddMoreAppsAction();
    void openPanelDidEnd(int returnCode);
    // Adds the chosen paths that are applications, stores the list and reloads the grid; the status line
    // names what was refused.
    void addChosenApplications(const QStringList &paths);
    void OpenAppsAction();
    void ShowAppsInFinderAction();
    void RemoveitemFromViewAction();
    void ArrageArrayByUsedCount();
    void ArrageArrayByDate();
    void ArrageArrayByName();
    void PRLeftTipButtonMouseDownHandle(QObject *sender);
    void controlTextDidChange(QObject *sender);
    void imageBrowserCellWasRightClickedAtIndex(int index, const QPoint &globalPos);

    // The manage table.
    int numberOfRowsInTableView() const { return int(appArrayController.size()); }
    QWidget *tableViewForTableColumnRow(const QString &identifier, int row);
    void tableViewSelectionDidChange();

    int firstSelectedIndex() const; // of the grid; -1 when nothing is selected
    QString statusText() const;

    // Outlets.
    QWidget *accessAppView;
    QWidget *manageAppView;
    QWidget *stateAppView;
    BackgroundImageView *topImageView;
    QListView *imageBrowserView;
    QAbstractScrollArea *theScrollView;
    AppBoxGridModel *gridModel;
    QLineEdit *thesearchField;
    PRLeftTipButton *allAppBtn;
    QPushButton *addAppBtn;
    QPushButton *manageBtn;
    QPushButton *detachBtn;
    QPushButton *backBtn;
    QLabel *boxStatuslab;
    QLabel *emptyHintlab;
    QMenu *sortAppMenu;
    QMenu *AppMenu;
    QTableWidget *manageAppTableView;
    PMAppNodeList appArrayController;
    QPointer<QFileDialog> theOpenPanel;
    QPoint lastSortMenuPoint; // where the sort menu last opened, in allAppBtn's coordinates

Q_SIGNALS:
    void detachRequested();

private:
    void reloadManageTable();
    PMAppNodeRef firstSelectedRecord() const;
    // What the grid's actions act on: the record right-clicked for the open context menu, else the
    // selected one. Held as the record, so a search that replaces the grid meanwhile cannot shift it.
    PMAppNodeRef targetRecord() const;
    void setStatus(const QString &text);
    QDateTime now() const;

    Services m_services;
    DesktopServices &m_desktop;
    PMAppNodeRef m_menuRecord; // the record the context menu was opened on, while it is open
};

} // namespace vellumry
