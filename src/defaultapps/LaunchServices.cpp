// Content types and default applications through GIO.
#include "defaultapps/LaunchServices.h"

#include "model/FileKinds.h"
#include "platform/GLibPointers.h"
#include "platform/Logging.h"
#include "platform/NativePath.h"

#include <QHash>

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <memory>

namespace vellumry {

using namespace Qt::StringLiterals;

namespace {

// An extension that can stand in a file name and, as part of a type, as a key of mimeapps.list.
bool isUsableExtension(const QString &extension)
{
    if (extension.isEmpty())
        return false;
    for (const QChar c : extension) {
        if (c.isSpace() || c.category() == QChar::Other_Control || c == u'/' || c == u'=' || c == u';' ||
            c == u'[' || c == u']')
            return false;
    }
    return true;
}

GObjectPtr<GAppInfo> defaultApplicationFor(const QString &extension)
{
    const QString type = GetUTIforFileExtension(extension);
    if (type.isEmpty())
        return nullptr;
    return GObjectPtr<GAppInfo>(g_app_info_get_default_for_type(type.toUtf8().constData(), FALSE));
}

// The installed application with this desktop file name (".desktop" may be left off), as GIO finds it.
GObjectPtr<GDesktopAppInfo> applicationNamed(const QString &name)
{
    if (name.isEmpty() || name.contains(u'/') || name == u".desktop"_s)
        return nullptr;
    const QString file = name.endsWith(u".desktop"_s) ? name : name + u".desktop"_s;
    return GObjectPtr<GDesktopAppInfo>(g_desktop_app_info_new(toNativePath(file).constData()));
}

void setReason(QString *reason, const QString &text)
{
    if (reason)
        *reason = text;
}

} // namespace

QString GetUTIforFileExtension(const QString &extension)
{
    if (!isUsableExtension(extension))
        return {};
    gboolean uncertain = FALSE;
    const QByteArray name = "x." + toNativePath(extension);
    const GCharPtr guessed(g_content_type_guess(name.constData(), nullptr, 0, &uncertain));
    const QString type = guessed ? QString::fromUtf8(guessed.get()) : QString();
    // With no data to look at, the name matching no glob is what "octet-stream, uncertain" means.
    if (type.isEmpty() || (uncertain && type == u"application/octet-stream"_s))
        return u"application/x-extension-"_s + extension.toLower();
    return type;
}

QString GetDefaultApplicationForFileExtension(const QString &extension)
{
    const GObjectPtr<GAppInfo> application = defaultApplicationFor(extension);
    const char *file = application && G_IS_DESKTOP_APP_INFO(application.get())
                           ? g_desktop_app_info_get_filename(G_DESKTOP_APP_INFO(application.get()))
                           : nullptr;
    return file ? fromNativePath(file) : u"(null)"_s;
}

int setMyselfAsDefaultApplicationForFileExtension(const QString &extension, const QString &bundleIdentifier,
                                                  QString *reason)
{
    const QString type = GetUTIforFileExtension(extension);
    if (type.isEmpty()) {
        setReason(reason, u"not a usable extension"_s);
        return kNoContentType;
    }
    // Nothing valid to hand on: no identifier, or one that names no installed application.
    const GObjectPtr<GDesktopAppInfo> application = applicationNamed(bundleIdentifier);
    if (!application) {
        setReason(reason, u"no such application"_s);
        return kNoSuchApplication;
    }
    GError *error = nullptr;
    // GIO rewrites mimeapps.list in place of the old one and drops its own cached copy, so the next
    // query in this process sees the new default.
    if (!g_app_info_set_as_default_for_type(G_APP_INFO(application.get()), type.toUtf8().constData(),
                                            &error)) {
        QString text = error ? QString::fromUtf8(error->message) : u"the setting could not be written"_s;
        text.replace(u'\n', u' ').replace(u'\t', u' ');
        if (error)
            g_error_free(error);
        setReason(reason, text);
        return kDefaultRefused;
    }
    setReason(reason, {});
    return kDefaultSet;
}

QString GetBundleIdentifierForApplicationName(const QString &name)
{
    const GObjectPtr<GDesktopAppInfo> application = applicationNamed(name);
    if (!application)
        return {};
    const char *id = g_app_info_get_id(G_APP_INFO(application.get()));
    return id ? QString::fromUtf8(id) : QString();
}

ApplicationMap getImageApplicationDiction()
{
    ApplicationMap map;
    QHash<QString, qsizetype> rowOf;
    for (const QString &extension : GetImageArray()) {
        const QString path = GetDefaultApplicationForFileExtension(extension);
        if (path.isEmpty() || path == u"(null)"_s)
            continue;
        const auto found = rowOf.constFind(path);
        if (found == rowOf.constEnd()) {
            rowOf.insert(path, map.size());
            map.append({path, {extension}});
        } else if (!map[*found].extensions.contains(extension)) {
            map[*found].extensions.append(extension);
        }
    }
    qCInfo(lcVellumry).noquote() << u"theDict=="_s + applicationMapDescription(map);
    return map;
}

QString applicationMapDescription(const ApplicationMap &map)
{
    QStringList entries;
    entries.reserve(map.size());
    for (const ApplicationEntry &entry : map)
        entries.append(u'"' + displayPath(entry.path) + u"\": ("_s + entry.extensions.join(u", "_s) + u')');
    return u'{' + entries.join(u", "_s) + u'}';
}

} // namespace vellumry
