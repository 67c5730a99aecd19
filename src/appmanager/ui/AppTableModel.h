// The applications table's content (its array controller) and how each application looks in it.
#pragma once

#include "appmanager/PMAppNode.h"

#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>

namespace vellumry {

// The icon of an application: the desktop entry's Icon (a theme name or an image file); else the icon
// of its path, or of the ".app" folder up to five levels above it; else the program's "fileimage.png".
QIcon appNodeIcon(const PMAppNode &node);
// The use shown in a row: "Used 5 times, last 2024-03-01 10:00" and the like.
QString appUsageText(const PMAppNode &node);

class AppTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    // The columns, known by their identifiers "Name", "Date" (the extensions it opens) and "MDate" (use).
    enum Column { NameColumn, DateColumn, MDateColumn, ColumnCount };
    enum Role { IdentifierRole = Qt::UserRole + 1 };

    explicit AppTableModel(QObject *parent = nullptr);

    static QString columnIdentifier(int column);

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // Empties the content, then adds the records in order. When the records only extend what is
    // shown, the new ones are inserted, so the rows already shown stay as they are.
    void setContent(const PMAppNodeList &records);
    const PMAppNodeList &content() const { return m_records; }
    PMAppNodeRef nodeAt(int row) const; // null when the row is out of range

private:
    PMAppNodeList m_records;
    mutable QHash<QString, QIcon> m_icons; // by path and icon name
};

} // namespace vellumry
