// The application file sheet: the file extensions one application opens, one row with a tick each, and
// the button that hands the ticked ones to another application.
#pragma once

#include "appmanager/PRUninstallFileNode.h"

#include <QAbstractTableModel>
#include <QDialog>
#include <QIcon>

class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;

namespace vellumry {

class BackgroundImageView;
class SHTableCellView;

// The sheet's rows (its array controller).
class AppFileListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // The columns, known by their identifiers "Name", "Size" and "Location".
    enum Column
    {
        NameColumn,
        SizeColumn,
        LocationColumn,
        ColumnCount
    };
    enum Role
    {
        IdentifierRole = Qt::UserRole + 1
    };

    using QAbstractTableModel::QAbstractTableModel;
    static QString columnIdentifier(int column);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Empties the content, then adds the rows in order.
    void setContent(const PRUninstallFileNodeList &rows);
    const PRUninstallFileNodeList &content() const { return m_rows; }
    PRUninstallFileNodeRef nodeAt(int row) const; // null when out of range

private:
    PRUninstallFileNodeList m_rows;
};

class AppFileSheet : public QDialog
{
    Q_OBJECT
public:
    explicit AppFileSheet(QWidget *parent = nullptr);

    // The cell view of a row in the "Name" or "Location" column, made when it does not exist yet; null
    // for a row beyond the rows or another column. A "Name" cell shows its row's tick.
    SHTableCellView *cellAt(int row, int column);
    // Says which application the rows belong to, by its name and icon.
    void setApplicationName(const QString &name, const QIcon &icon = {});
    void showMessage(const QString &text); // empty hides it
    // The sheet's ground for the light or dark look, as the other sheets have it.
    void applyLook(bool dark);

    BackgroundImageView *imageView;
    QTableView *appFileTableview;
    AppFileListModel *appFileController;
    QProgressBar *scanAppFileProgressor;
    QLabel *iconLabel;
    QLabel *titleLabel;
    QLabel *messageLabel;
    // Hands the ticked extensions to another application.
    QPushButton *changeButton;
    QPushButton *closeButton;

private:
    SHTableCellView *makeCell(int row, int column);
    void makeCells();
};

} // namespace vellumry
