// The rows of the application file sheet.
#include "appmanager/PRUninstallFileNode.h"

#include <QStringList>

namespace vellumry {

PRUninstallFileNodeList extensionRows(const QStringList &extensions, const QString &appName)
{
    PRUninstallFileNodeList rows;
    rows.reserve(extensions.size());
    for (const QString &extension : extensions) {
        auto row = PRUninstallFileNodeRef::create();
        row->setFileName(extension);
        row->setFilePath(appName);
        row->setBSelected(false);
        rows.append(row);
    }
    return rows;
}

} // namespace vellumry
