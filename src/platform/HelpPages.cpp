// Finds the pages shipped in docs/, installed or in the source tree.
#include "platform/HelpPages.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace vellumry {

using namespace Qt::StringLiterals;

QUrl helpPageUrl(const QString &page, const QString &programFolder, const QString &webSite)
{
    if (!webSite.isEmpty()) {
        const QUrl site(webSite.endsWith(u'/') ? webSite : webSite + u'/');
        return site.resolved(QUrl(page));
    }
    const QString folders[] = {
        programFolder + u"/../share/vellumry/docs"_s,
        QStringLiteral(VELLUMRY_SOURCE_DOCS_DIR),
    };
    for (const QString &folder : folders) {
        const QFileInfo file(QDir::cleanPath(folder + u'/' + page));
        if (!folder.isEmpty() && file.isFile())
            return QUrl::fromLocalFile(file.absoluteFilePath());
    }
    return {};
}

QUrl helpPageUrl(const QString &page)
{
    return helpPageUrl(page, QCoreApplication::applicationDirPath(), QStringLiteral(VELLUMRY_WEB_SITE));
}

} // namespace vellumry
