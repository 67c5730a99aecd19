// The shown list as a Qt item model: the rows the icon grid and the table display.
#pragma once

#include "model/IKImageItem.h"

#include <QAbstractListModel>

namespace vellumry {

class FileListModel : public QAbstractListModel
{
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;

    // Replaces the whole shown list.
    void setItems(const ItemList &items);
    // Appends rows, as the live refresh of a running scan does.
    void appendItems(const ItemList &items, qsizetype first, qsizetype count);
    const ItemList &items() const { return m_items; }

private:
    ItemList m_items;
};

} // namespace vellumry
