// One row of the application file sheet: an extension the application opens (or a file of it).
#pragma once

#include <QList>
#include <QSharedPointer>
#include <QString>

#include <atomic>

namespace vellumry {

class PRUninstallFileNode
{
public:
    PRUninstallFileNode() = default;

    // The row stands for a folder.
    bool isFileDir() const { return m_isFileDir; }
    void setIsFileDir(bool yes) { m_isFileDir = yes; }
    // Ticked: the row's check box shows it and writes it. Read and written from the GUI and the row builder.
    bool bSelected() const { return m_bSelected.load(); }
    void setBSelected(bool yes) { m_bSelected.store(yes); }
    bool bHasRemoved() const { return m_bHasRemoved; }
    void setBHasRemoved(bool yes) { m_bHasRemoved = yes; }
    QString fileSize() const { return m_fileSize; }
    void setFileSize(const QString &text) { m_fileSize = text; }
    // For an extension row: the application's name.
    QString filePath() const { return m_filePath; }
    void setFilePath(const QString &path) { m_filePath = path; }
    // For an extension row: the extension.
    QString fileName() const { return m_fileName; }
    void setFileName(const QString &name) { m_fileName = name; }
    quint64 fileNumnerSize() const { return m_fileNumnerSize; }
    void setFileNumnerSize(quint64 bytes) { m_fileNumnerSize = bytes; }

private:
    bool m_isFileDir = false;
    std::atomic<bool> m_bSelected{false};
    bool m_bHasRemoved = false;
    QString m_fileSize;
    QString m_filePath;
    QString m_fileName;
    quint64 m_fileNumnerSize = 0;
};

using PRUninstallFileNodeRef = QSharedPointer<PRUninstallFileNode>;
using PRUninstallFileNodeList = QList<PRUninstallFileNodeRef>;

// The rows of the sheet for one application: one per extension it opens, in order, each naming the
// application. None is ticked: the sheet shows every tick off, and a row takes part in a change only
// once the user ticks it.
PRUninstallFileNodeList extensionRows(const QStringList &extensions, const QString &appName);

} // namespace vellumry
