// Content types and default applications through GIO.
#include "defaultapps/LaunchServices.h"

#include "defaultapps/MimeAppsList.h"
#include "model/FileKinds.h"
#include "platform/GLibPointers.h"
#include "platform/Logging.h"
#include "platform/NativePath.h"
#include "platform/RegularFile.h"

#include <QHash>

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <QThread>

#include <chrono>
#include <memory>

#include <sys/stat.h>

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

// The first of the association files GIO reads before any answer about applications that is there but
// is not a regular file: GIO would wait on it for ever. Empty when there is none.
QByteArray associationFileGioWouldWaitOn()
{
    QByteArrayList desktops;
    for (const QByteArray &name : qgetenv("XDG_CURRENT_DESKTOP").split(':')) {
        if (!name.isEmpty())
            desktops.append(name.toLower());
    }
    QByteArrayList files;
    const auto addLists = [&](const QByteArray &folder, bool withCaches) {
        for (const QByteArray &desktop : std::as_const(desktops))
            files.append(folder + '/' + desktop + "-mimeapps.list");
        files.append(folder + "/mimeapps.list");
        if (withCaches) {
            files.append(folder + "/defaults.list");
            files.append(folder + "/mimeinfo.cache");
        }
    };
    addLists(g_get_user_config_dir(), false);
    for (const gchar *const *dir = g_get_system_config_dirs(); dir && *dir; ++dir)
        addLists(*dir, false);
    addLists(QByteArray(g_get_user_data_dir()) + "/applications", true);
    for (const gchar *const *dir = g_get_system_data_dirs(); dir && *dir; ++dir)
        addLists(QByteArray(*dir) + "/applications", true);
    for (const QByteArray &file : std::as_const(files)) {
        struct stat st;
        if (::lstat(file.constData(), &st) == 0 && !isRegularFile(file))
            return file;
    }
    return {};
}

GObjectPtr<GAppInfo> defaultApplicationFor(const QString &extension)
{
    const QString type = GetUTIforFileExtension(extension);
    if (type.isEmpty() || !associationFileGioWouldWaitOn().isEmpty())
        return nullptr;
    return GObjectPtr<GAppInfo>(g_app_info_get_default_for_type(type.toUtf8().constData(), FALSE));
}

// Every file below `folder` that could carry the desktop-file ID `rest`: an entry in a subfolder has
// the subfolder in its ID, so "a-b.desktop" may be a-b.desktop or a/b.desktop.
void filesForId(const QByteArray &folder, const QByteArray &rest, QByteArrayList &files, int depth = 0)
{
    files.append(folder + '/' + rest);
    if (depth >= 8)
        return;
    for (qsizetype dash = rest.indexOf('-'); dash > 0; dash = rest.indexOf('-', dash + 1)) {
        const QByteArray sub = folder + '/' + rest.left(dash);
        struct stat st;
        if (::stat(sub.constData(), &st) == 0 && S_ISDIR(st.st_mode))
            filesForId(sub, rest.mid(dash + 1), files, depth + 1);
    }
}

// Whether every file GIO might open for the desktop-file ID is a regular one: GIO would wait for ever
// on a FIFO, so an ID that leads to one is refused before GIO sees it.
bool idLeadsOnlyToRegularFiles(const QByteArray &id)
{
    QByteArrayList folders{QByteArray(g_get_user_data_dir()) + "/applications"};
    for (const gchar *const *dir = g_get_system_data_dirs(); dir && *dir; ++dir)
        folders.append(QByteArray(*dir) + "/applications");
    for (const QByteArray &folder : std::as_const(folders)) {
        QByteArrayList files;
        filesForId(folder, id, files);
        for (const QByteArray &file : std::as_const(files)) {
            struct stat st;
            if (::lstat(file.constData(), &st) == 0 && !isRegularFile(file))
                return false;
        }
    }
    return true;
}

// The installed application with this desktop file name (".desktop" may be left off), as GIO finds it.
GObjectPtr<GDesktopAppInfo> applicationNamed(const QString &name, QString *reason = nullptr)
{
    if (reason)
        *reason = u"no such application"_s;
    if (name.isEmpty() || name.contains(u'/') || name == u".desktop"_s)
        return nullptr;
    const QByteArray file = toNativePath(name.endsWith(u".desktop"_s) ? name : name + u".desktop"_s);
    if (const QByteArray blocking = associationFileGioWouldWaitOn(); !blocking.isEmpty()) {
        if (reason)
            *reason = fromNativePath(blocking.mid(blocking.lastIndexOf('/') + 1)) + u" is not a regular file"_s;
        return nullptr;
    }
    if (!idLeadsOnlyToRegularFiles(file)) {
        if (reason)
            *reason = u"the application's desktop entry is not a regular file"_s;
        return nullptr;
    }
    return GObjectPtr<GDesktopAppInfo>(g_desktop_app_info_new(file.constData()));
}

// The user's own mimeapps.list, where GIO looks for it first.
QByteArray userMimeappsList()
{
    return QByteArray(g_get_user_config_dir()) + "/mimeapps.list";
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
    QString why;
    const GObjectPtr<GDesktopAppInfo> application = applicationNamed(bundleIdentifier, &why);
    const char *id = application ? g_app_info_get_id(G_APP_INFO(application.get())) : nullptr;
    if (!id) {
        setReason(reason, why);
        return kNoSuchApplication;
    }
    // The file is edited here, not by GIO's own setter, which rewrites the whole file: it drops
    // comments, replaces a file it cannot read and turns a link into a plain file.
    const MimeappsWrite written = setDefaultInMimeappsList(userMimeappsList(), type.toUtf8(), id);
    if (!written.ok) {
        setReason(reason, written.reason);
        return kDefaultRefused;
    }
    // GIO notices the new file through its folder watch, a moment later; until it reads the new
    // default, the setting has not taken.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    for (;;) {
        const GObjectPtr<GAppInfo> now(g_app_info_get_default_for_type(type.toUtf8().constData(), FALSE));
        if (now && g_strcmp0(g_app_info_get_id(now.get()), id) == 0)
            break;
        if (std::chrono::steady_clock::now() > deadline) {
            setReason(reason, u"mimeapps.list was written, but the desktop still reports another default"_s);
            return kDefaultRefused;
        }
        QThread::msleep(20);
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
