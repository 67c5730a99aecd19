// The applications table's rows and cells.
#include "appmanager/ui/AppTableModel.h"

#include "appmanager/AppInventory.h"
#include "views/ui/FileIcons.h"

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMimeDatabase>
#include <QPalette>
#include <QTimeZone>

namespace vellumry {

using namespace Qt::StringLiterals;

namespace {

QIcon themeOrFileIcon(const QString &icon)
{
    if (icon.isEmpty())
        return {};
    if (QDir::isAbsolutePath(icon))
        return QFileInfo(icon).isFile() ? QIcon(icon) : QIcon();
    return QIcon::fromTheme(icon);
}

QString lastComponent(const QString &path)
{
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(u'/'))
        trimmed.chop(1);
    return trimmed.section(u'/', -1);
}

} // namespace

QIcon appNodeIcon(const PMAppNode &node)
{
    ensureIconTheme();
    QString icon = node.appImage();
    if (icon.isEmpty() && node.appPath().endsWith(u".desktop"_s))
        if (const std::optional<DesktopEntry> entry = loadDesktopEntry(node.appPath()))
            icon = entry->icon;
    QIcon result = themeOrFileIcon(icon);
    if (result.isNull() && !node.appPath().isEmpty()) {
        // The path itself, or the application folder ("Name.app") that holds it.
        QString path = node.appPath();
        if (QFileInfo(path).suffix() != u"app"_s) {
            QString up = path;
            for (int i = 0; i < 5; ++i) {
                up = QFileInfo(up).path();
                if (up.endsWith(u".app"_s)) {
                    path = up;
                    break;
                }
            }
        }
        const QFileInfo info(path);
        if (info.exists()) {
            const QMimeType type = QMimeDatabase().mimeTypeForFile(info);
            result = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
        }
    }
    return result.isNull() ? QIcon(u":/images/fileimage.png"_s) : result;
}

QString appUsageText(const PMAppNode &node)
{
    // A record of the default-applications list carries no use at all (not even a date): say nothing
    // rather than "Used 0 times".
    if (node.usedCount() == 0 && !node.lastOpenDate().isValid())
        return {};
    QString text = node.usedCount() < 0    ? AppTableModel::tr("Use unknown")
                   : node.usedCount() == 1 ? AppTableModel::tr("Used once")
                                           : AppTableModel::tr("Used %1 times").arg(node.usedCount());
    if (node.lastOpenDate().isValid())
        text += AppTableModel::tr(", last %1")
                    .arg(node.lastOpenDate().toLocalTime().toString(u"yyyy-MM-dd HH:mm:ss"_s)); // the user's zone
    return text;
}

AppTableModel::AppTableModel(QObject *parent) : QAbstractTableModel(parent) {}

QString AppTableModel::columnIdentifier(int column)
{
    switch (column) {
    case NameColumn:
        return u"Name"_s;
    case DateColumn:
        return u"Date"_s;
    case MDateColumn:
        return u"MDate"_s;
    default:
        return {};
    }
}

int AppTableModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_records.size());
}

int AppTableModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : ColumnCount;
}

PMAppNodeRef AppTableModel::nodeAt(int row) const
{
    return row >= 0 && row < m_records.size() ? m_records.at(row) : PMAppNodeRef();
}

QVariant AppTableModel::data(const QModelIndex &index, int role) const
{
    const PMAppNodeRef node = nodeAt(index.row());
    if (!node || !index.isValid())
        return {};
    switch (index.column()) {
    case NameColumn:
        if (role == Qt::DisplayRole)
            return node->shownName().isEmpty() ? lastComponent(node->appPath()) : node->shownName();
        if (role == Qt::ToolTipRole) // the entry's file, which names it for good, and why menus leave it out
            return node->hiddenReason().isEmpty() ? node->appPath()
                                                  : tr("%1\nHidden: %2").arg(node->appPath(), node->hiddenReason());
        if (role == Qt::ForegroundRole && !node->hiddenReason().isEmpty())
            return QGuiApplication::palette().brush(QPalette::Disabled, QPalette::Text);
        if (role == Qt::DecorationRole) {
            const QString key = node->appPath() + u'\n' + node->appImage();
            auto it = m_icons.constFind(key);
            if (it == m_icons.constEnd())
                it = m_icons.insert(key, appNodeIcon(*node));
            return *it;
        }
        break;
    case DateColumn:
        if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
            return node->fileChildren().join(u", "_s);
        break;
    case MDateColumn:
        if (role == Qt::AccessibleTextRole || role == Qt::ToolTipRole)
            return appUsageText(*node);
        break;
    default:
        break;
    }
    return {};
}

QVariant AppTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == IdentifierRole)
        return columnIdentifier(section);
    if (role != Qt::DisplayRole)
        return {};
    switch (section) {
    case NameColumn:
        return tr("Application");
    case DateColumn:
        return tr("Opens");
    case MDateColumn:
        return tr("Use");
    default:
        return {};
    }
}

void AppTableModel::setContent(const PMAppNodeList &records)
{
    const bool extends = records.size() > m_records.size() &&
                         std::equal(m_records.cbegin(), m_records.cend(), records.cbegin());
    if (extends) {
        beginInsertRows({}, int(m_records.size()), int(records.size()) - 1);
        m_records = records;
        endInsertRows();
    } else {
        beginResetModel();
        m_records = records;
        endResetModel();
    }
}

} // namespace vellumry
