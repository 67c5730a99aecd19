// The preview's rows and the narrowing to the rows with a problem.
#include "reorganise/ui/PlanPreviewModel.h"

#include "platform/NativePath.h"

#include <QColor>
#include <QFont>
#include <QGuiApplication>
#include <QLocale>
#include <QPalette>

namespace vellumry {

using namespace Qt::StringLiterals;

namespace {

QByteArray nameOf(const QByteArray &path) { return path.mid(path.lastIndexOf('/') + 1); }

QByteArray folderOf(const QByteArray &path)
{
    const qsizetype slash = path.lastIndexOf('/');
    return slash <= 0 ? QByteArray(slash == 0 ? "/" : "") : path.left(slash);
}

QString shown(const QByteArray &bytes) { return displayPath(fromNativePath(bytes)); }

// A warm red readable on the light and on the dark look alike.
QColor problemColour()
{
    const bool dark = QGuiApplication::palette().color(QPalette::Base).lightness() < 128;
    return dark ? QColor(255, 138, 118) : QColor(176, 32, 16);
}

} // namespace

PlanPreviewModel::PlanPreviewModel(QObject *parent) : QAbstractTableModel(parent) {}

void PlanPreviewModel::setPreview(QList<StepPreview> steps, QList<CleanUpOutcome> cleanUp, const QByteArray &mainFolder,
                                  QList<FolderRow> folders)
{
    beginResetModel();
    m_steps = std::move(steps);
    m_cleanUp = std::move(cleanUp);
    m_folders = std::move(folders);
    m_mainFolder = mainFolder;
    while (m_mainFolder.size() > 1 && m_mainFolder.endsWith('/'))
        m_mainFolder.chop(1);
    m_skipped = int(std::count_if(m_steps.cbegin(), m_steps.cend(), [](const StepPreview &p) { return p.skipped; }));
    m_removed = int(std::count_if(m_cleanUp.cbegin(), m_cleanUp.cend(), [](const CleanUpOutcome &e) { return e.removed; }));
    endResetModel();
}

QString PlanPreviewModel::countsText(const QString &verb) const
{
    const QLocale locale;
    QString text = tr("%1 to %2").arg(locale.toString(qlonglong(m_steps.size() - m_skipped)), verb);
    if (m_skipped > 0)
        text += tr(", %1 skipped").arg(locale.toString(m_skipped));
    if (!m_cleanUp.isEmpty())
        text += m_removed == 1 ? tr(", 1 folder to remove") : tr(", %1 folders to remove").arg(locale.toString(m_removed));
    if (const int kept = int(m_cleanUp.size()) - m_removed; kept > 0)
        text += tr(", %1 kept").arg(locale.toString(kept));
    if (!m_folders.isEmpty()) {
        const auto remade = int(std::count_if(m_folders.cbegin(), m_folders.cend(), [](const FolderRow &f) { return f.remake; }));
        const int removed = int(m_folders.size()) - remade;
        if (remade > 0)
            text += remade == 1 ? tr(", 1 folder to make again") : tr(", %1 folders to make again").arg(locale.toString(remade));
        if (removed > 0)
            text += removed == 1 ? tr(", 1 folder to remove when empty")
                                 : tr(", %1 folders to remove when empty").arg(locale.toString(removed));
    }
    return text;
}

int PlanPreviewModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_steps.size() + m_cleanUp.size() + m_folders.size());
}

int PlanPreviewModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : ColumnCount; }

QString PlanPreviewModel::shownFolder(const QByteArray &folder) const
{
    if (!m_mainFolder.isEmpty()) {
        if (folder == m_mainFolder)
            return tr("(main folder)");
        if (m_mainFolder == "/" || folder.startsWith(QByteArray(m_mainFolder + '/')))
            return shown(folder.mid(m_mainFolder == "/" ? 1 : m_mainFolder.size() + 1));
    }
    return shown(folder);
}

QVariant PlanPreviewModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    if (index.row() < m_steps.size())
        return stepData(m_steps.at(index.row()), index.column(), role);
    if (const qsizetype row = index.row() - m_steps.size(); row < m_cleanUp.size()) {
        const CleanUpOutcome &entry = m_cleanUp.at(row);
        return folderData(entry.path,
                          entry.removed ? tr("To remove: holds only emptied folders") : tr("Kept: %1").arg(entry.reason),
                          index.column(), role);
    }
    const FolderRow &folder = m_folders.at(index.row() - m_steps.size() - m_cleanUp.size());
    return folderData(folder.path, folder.remake ? tr("To make again") : tr("To remove when empty"), index.column(), role);
}

QVariant PlanPreviewModel::stepData(const StepPreview &preview, int column, int role) const
{
    const PlanStep &step = preview.step;
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        switch (column) {
        case NameColumn:
            return shown(nameOf(step.source));
        case FolderColumn:
            return role == Qt::ToolTipRole ? shown(folderOf(step.source)) : shownFolder(folderOf(step.source));
        case NewNameColumn:
            return preview.skipped ? tr("Skipped: %1").arg(preview.reason) : shown(nameOf(step.target));
        case NewFolderColumn:
            if (preview.skipped)
                return {};
            return role == Qt::ToolTipRole ? shown(folderOf(step.target)) : shownFolder(folderOf(step.target));
        default:
            return {};
        }
    case Qt::ForegroundRole:
        if (preview.skipped && column == NewNameColumn)
            return problemColour();
        return {};
    case PathRole:
        return column == NameColumn ? step.source : column == NewNameColumn ? step.target : QVariant();
    case ProblemRole:
        return preview.skipped;
    default:
        return {};
    }
}

// A folder's row (a clean-up's or an undo's): its name and place, then what happens to it, in italics.
QVariant PlanPreviewModel::folderData(const QByteArray &path, const QString &what, int column, int role) const
{
    switch (role) {
    case Qt::DisplayRole:
    case Qt::ToolTipRole:
        switch (column) {
        case NameColumn:
            return shown(nameOf(path));
        case FolderColumn:
            return shownFolder(folderOf(path));
        case NewNameColumn:
            return what;
        default:
            return {};
        }
    case Qt::FontRole:
        if (column == NewNameColumn) {
            QFont italic;
            italic.setItalic(true);
            return italic;
        }
        return {};
    case PathRole:
        return column == NameColumn ? path : QVariant();
    case ProblemRole:
        return false;
    default:
        return {};
    }
}

QVariant PlanPreviewModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    switch (section) {
    case NameColumn:
        return tr("Name");
    case FolderColumn:
        return tr("Folder");
    case NewNameColumn:
        return tr("→ New name");
    case NewFolderColumn:
        return tr("New folder");
    default:
        return {};
    }
}

void ProblemFilterModel::setProblemsOnly(bool only)
{
    if (only == m_only)
        return;
    m_only = only;
    invalidateRowsFilter();
}

bool ProblemFilterModel::filterAcceptsRow(int sourceRow, const QModelIndex &sourceParent) const
{
    return !m_only ||
           sourceModel()->index(sourceRow, 0, sourceParent).data(PlanPreviewModel::ProblemRole).toBool();
}

} // namespace vellumry
