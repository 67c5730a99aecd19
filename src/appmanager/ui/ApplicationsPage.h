// The applications page of the main window: the applications table with its scan and sort controls.
#pragma once

#include <QWidget>

class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QTableView;

namespace vellumry {

class AppTableModel;
class BackgroundImageView;
class NotificationCenter;
class PSTableCellView;

class ApplicationsPage : public QWidget
{
    Q_OBJECT
public:
    explicit ApplicationsPage(NotificationCenter *nc, QWidget *parent = nullptr);

    // Shows the model's records; every row gets its use cell.
    void setModel(AppTableModel *model);
    // The use cell of a row (null when the row has none).
    PSTableCellView *cellAt(int row) const;
    // The light or dark look: the bar's ground and its buttons, drawn as the Files tab's tool-bar buttons.
    void applyLook(bool dark);
    // What the empty table says in place of rows; empty text: nothing.
    void setEmptyHint(const QString &text);

    QTableView *appTableview;
    QProgressBar *scanProgressor;
    QPushButton *SortButton;
    QMenu *sortAppToolMenu;
    QPushButton *scanButton;      // the refresh: default applications and their extensions
    QPushButton *inventoryButton; // the inventory of the installed applications
    QLabel *countLabel;
    QLabel *emptyHintlab;
    BackgroundImageView *barImageView; // the bar's ground, as the Files tab's tool bar

private:
    void makeCells(int first, int last);
    void updateCount();

    NotificationCenter *m_nc;
    AppTableModel *m_model = nullptr;
};

} // namespace vellumry
