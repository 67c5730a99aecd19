// The open-with editor's two sheets: the list of an application's extensions to tick and hand to
// another application, and the request for the one-time grant of a folder that comes before it.
#pragma once

#include "defaultapps/OpenWith.h"

#include <QAbstractTableModel>
#include <QDialog>

class QLabel;
class QProgressBar;
class QPushButton;
class QTableView;

namespace vellumry {

class SHTableCellView;

// The sheet's rows: column 0 holds the extension (shown by an SHTableCellView), column 1 the application.
class OpenWithRowModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    using QAbstractTableModel::QAbstractTableModel;

    void setRows(const OpenWithRows &rows); // replaces every row at once
    const OpenWithRows &rows() const { return m_rows; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    OpenWithRows m_rows;
};

class OpenWithSheet : public QDialog
{
    Q_OBJECT
public:
    explicit OpenWithSheet(QWidget *parent = nullptr);

    // Shows the rows, each with a fresh cell that takes its tick from the row.
    void setRows(const QString &applicationName, const OpenWithRows &rows);
    // The cell of a row, made when the table has none for it.
    SHTableCellView *cellForRow(int row);
    void showMessage(const QString &text); // empty hides it

    QLabel *titleLabel;
    QTableView *appFileTableview;
    OpenWithRowModel *appFileController;
    QProgressBar *scanAppFileProgressor;
    QLabel *messageLabel;
    QPushButton *changeButton;
    QPushButton *cancelButton;

private:
    void makeCells();
};

class ConnectUserSheet : public QDialog
{
    Q_OBJECT
public:
    explicit ConnectUserSheet(QWidget *parent = nullptr);

    QPushButton *connectButton;
    QPushButton *cancelButton;
};

} // namespace vellumry
