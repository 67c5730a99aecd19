// Content-type icons through GIO and the icon theme.
#include "views/ui/FileIcons.h"

#include "platform/GLibPointers.h"

#include "model/IKImageItem.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>
#include <QStyle>

#include <gio/gio.h>

namespace vellumry {

using namespace Qt::StringLiterals;

ContentTypeIcon contentTypeIconOf(QByteArrayView fileName)
{
    ContentTypeIcon result;
    const QByteArray name = fileName.toByteArray(); // NUL-terminated for GIO
    gboolean uncertain = false;
    const GCharPtr type(g_content_type_guess(name.constData(), nullptr, 0, &uncertain));
    if (!type)
        return result;
    result.contentType = QString::fromUtf8(type.get());
    if (const GObjectPtr<GIcon> icon{g_content_type_get_icon(type.get())}; icon && G_IS_THEMED_ICON(icon.get())) {
        for (const gchar *const *names = g_themed_icon_get_names(G_THEMED_ICON(icon.get())); names && *names; ++names)
            result.iconNames.append(QString::fromUtf8(*names));
    }
    return result;
}

void ensureIconTheme()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    if (!QIcon::themeName().isEmpty())
        return;
    QStringList paths = QIcon::themeSearchPaths();
    QStringList candidates{QDir::homePath() + u"/.icons"_s};
    candidates += QStandardPaths::locateAll(QStandardPaths::GenericDataLocation, u"icons"_s,
                                            QStandardPaths::LocateDirectory);
    for (const QString &dir : std::as_const(candidates)) {
        if (QFileInfo(dir).isDir() && !paths.contains(dir))
            paths.append(dir);
    }
    QIcon::setThemeSearchPaths(paths);
    for (const QString &theme : {u"Adwaita"_s, u"hicolor"_s}) {
        for (const QString &dir : std::as_const(paths)) {
            if (QFileInfo::exists(dir + u'/' + theme + u"/index.theme"_s)) {
                QIcon::setThemeName(theme);
                return;
            }
        }
    }
}

QIcon fallbackFileIcon()
{
    ensureIconTheme();
    return QApplication::style()->standardIcon(QStyle::SP_FileIcon);
}

QIcon iconForContentType(const ContentTypeIcon &type)
{
    ensureIconTheme();
    static QHash<QString, QIcon> byType;
    const auto found = byType.constFind(type.contentType);
    if (found != byType.constEnd())
        return *found;
    QIcon icon;
    for (const QString &name : type.iconNames) {
        if (QIcon::hasThemeIcon(name)) {
            icon = QIcon::fromTheme(name);
            break;
        }
    }
    if (icon.isNull())
        icon = fallbackFileIcon();
    byType.insert(type.contentType, icon);
    return icon;
}

QIcon fileTypeIcon(QByteArrayView fileName)
{
    return iconForContentType(contentTypeIconOf(fileName));
}

QIcon folderIcon()
{
    ensureIconTheme();
    // Read from the compiled-in resources only: a folder item's path is this name, never a file to open.
    if (QFileInfo::exists(folderIconPath()))
        return QIcon(folderIconPath());
    return QApplication::style()->standardIcon(QStyle::SP_DirIcon);
}

QIcon applicationIcon()
{
    ensureIconTheme();
    const QString name = u"application-x-executable"_s;
    return QIcon::hasThemeIcon(name) ? QIcon::fromTheme(name) : fallbackFileIcon();
}

} // namespace vellumry
