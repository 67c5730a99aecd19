// The box's stored list of paths, its acceptance rule and the launching of its applications.
#include "appmanager/AppBoxStore.h"

#include "platform/GLibPointers.h"
#include "platform/NativePath.h"
#include "platform/RegularFile.h"
#include "platform/Settings.h"

#include <QDir>
#include <QFileInfo>

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vellumry::AppBoxStore {

using namespace Qt::StringLiterals;

namespace {

using DesktopEntryPtr = std::unique_ptr<GDesktopAppInfo, GObjectDeleter>;

bool isDesktopEntryName(const QString &path)
{
    return path.endsWith(u".desktop"_s);
}

// GIO opens the file it is given and would wait for ever on a FIFO: only regular files reach it.
DesktopEntryPtr loadDesktopEntry(const QByteArray &nativePath)
{
    if (!isRegularFile(nativePath))
        return nullptr;
    return DesktopEntryPtr(g_desktop_app_info_new_from_filename(nativePath.constData()));
}
DesktopEntryPtr loadDesktopEntry(const QString &path)
{
    return loadDesktopEntry(toNativePath(path));
}

bool storeList(Settings &settings, const QStringList &paths)
{
    settings.setValue(kKey, paths);
    return settings.synchronize();
}

} // namespace

Acceptance accepts(const QString &path)
{
    const QByteArray native = toNativePath(path);
    struct stat st;
    if (native.isEmpty() || ::stat(native.constData(), &st) != 0)
        return {false, u"no such file"_s};
    if (S_ISDIR(st.st_mode))
        return {false, u"a folder"_s};
    if (!S_ISREG(st.st_mode))
        return {false, u"not a regular file"_s};
    if (isDesktopEntryName(path))
        return loadDesktopEntry(path) ? Acceptance{true, {}}
                                      : Acceptance{false, u"not a usable desktop entry"_s};
    if (S_ISREG(st.st_mode) && ::access(native.constData(), X_OK) == 0)
        return {true, {}};
    return {false, u"not executable"_s};
}

QStringList storedPaths(Settings &settings)
{
    return settings.stringList(kKey);
}

bool appendPaths(Settings &settings, const QStringList &paths)
{
    return storeList(settings, storedPaths(settings) + paths);
}

int removeEveryEntry(Settings &settings, const QString &path)
{
    QStringList paths = storedPaths(settings);
    const int removed = int(paths.removeAll(path));
    if (removed == 0)
        return 0;
    return storeList(settings, paths) ? removed : -1;
}

PMAppNodeRef makeRecord(const QString &path, const QDateTime &lastUsed)
{
    auto record = PMAppNodeRef::create();
    record->setAppPath(path);
    record->setAppName(path.mid(path.lastIndexOf(u'/') + 1));
    if (isDesktopEntryName(path)) {
        if (const DesktopEntryPtr entry = loadDesktopEntry(path)) {
            if (GIcon *icon = g_app_info_get_icon(G_APP_INFO(entry.get()))) {
                const GCharPtr text(g_icon_to_string(icon));
                record->setAppImage(text ? QString::fromUtf8(text.get()) : QString());
            }
        }
    }
    const QFileInfo info(fromNativePath(toNativePath(path)));
    const QDateTime modified = info.exists() ? info.lastModified().toUTC() : QDateTime();
    record->setModifyDate(modified);
    record->setLastOpenDate(lastUsed.isValid() ? lastUsed : modified);
    return record;
}

QString displayName(const QString &path)
{
    if (!isDesktopEntryName(path))
        return {};
    const DesktopEntryPtr entry = loadDesktopEntry(path);
    return entry ? QString::fromUtf8(g_app_info_get_display_name(G_APP_INFO(entry.get()))) : QString();
}

ActionResult launchApplication(const QByteArray &nativePath)
{
    const Acceptance acceptance = accepts(fromNativePath(nativePath));
    if (!acceptance.ok)
        return {false, acceptance.reason};
    return startApplication(nativePath);
}

} // namespace vellumry::AppBoxStore
