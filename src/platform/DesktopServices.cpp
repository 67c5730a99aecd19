// Opening, revealing and trashing files through GIO and the session bus, so the user's own choices of
// applications, file manager and Trash apply.
#include "platform/DesktopServices.h"

#include "platform/GLibPointers.h"
#include "platform/Appearance.h"
#include "platform/NativePath.h"
#include "platform/RegularFile.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDir>
#include <QStringList>

#include <gio/gdesktopappinfo.h>
#include <gio/gio.h>

#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vellumry {
namespace {

ActionResult succeeded()
{
    return {true, {}};
}
ActionResult failed(const QString &reason)
{
    return {false, reason};
}

// The user-facing text of a GIO failure: the common ones by name, others by GIO's own message kept to
// one line, since front ends print it on one.
QString reasonFor(const GError *error, const QString &unsupported)
{
    if (error->domain == G_IO_ERROR) {
        switch (error->code) {
        case G_IO_ERROR_NOT_FOUND:
            return QStringLiteral("no such file");
        case G_IO_ERROR_PERMISSION_DENIED:
            return QStringLiteral("permission denied");
        case G_IO_ERROR_NO_SPACE:
            return QStringLiteral("no space left on the device");
        case G_IO_ERROR_READ_ONLY:
            return QStringLiteral("read-only file system");
        case G_IO_ERROR_NOT_SUPPORTED:
            if (!unsupported.isEmpty())
                return unsupported;
            break;
        default:
            break;
        }
    }
    QString message = QString::fromUtf8(error->message);
    for (QChar &c : message) {
        if (c.category() == QChar::Other_Control)
            c = u' ';
    }
    return message.isEmpty() ? QStringLiteral("failed") : message;
}

GObjectPtr<GFile> fileFor(const QByteArray &nativePath)
{
    return GObjectPtr<GFile>(g_file_new_for_path(nativePath.constData()));
}

// An empty path, or a compiled-in resource such as a folder item's icon, is no file. A relative path is
// taken from the working folder.
bool isFilePath(const QByteArray &nativePath)
{
    return !nativePath.isEmpty() && !nativePath.startsWith(":/");
}

// Starts the application with the file. A desktop entry's application gets /dev/null for input and
// output, so a script reading our output is not kept waiting until the application quits.
ActionResult launch(GAppInfo *app, GFile *file)
{
    GError *rawError = nullptr;
    gboolean launched = FALSE;
    if (G_IS_DESKTOP_APP_INFO(app)) {
        GCharPtr uri(g_file_get_uri(file));
        GList uris = {uri.get(), nullptr, nullptr};
        const int devNull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
        launched = g_desktop_app_info_launch_uris_as_manager_with_fds(
            G_DESKTOP_APP_INFO(app), &uris, nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, nullptr, nullptr,
            devNull, devNull, -1, &rawError);
        if (devNull >= 0)
            ::close(devNull);
    } else {
        GList files = {file, nullptr, nullptr};
        launched = g_app_info_launch(app, &files, nullptr, &rawError);
    }
    const GErrorPtr error(rawError);
    if (launched)
        return succeeded();
    return failed(error
                      ? QStringLiteral("the application could not be started: ") + reasonFor(error.get(), {})
                      : QStringLiteral("the application could not be started"));
}

ActionResult openFile(GFile *file)
{
    GError *rawError = nullptr;
    const GObjectPtr<GFileInfo> info(g_file_query_info(file, G_FILE_ATTRIBUTE_STANDARD_CONTENT_TYPE,
                                                       G_FILE_QUERY_INFO_NONE, nullptr, &rawError));
    const GErrorPtr error(rawError);
    if (!info)
        return failed(reasonFor(error.get(), {}));
    const char *contentType = g_file_info_get_content_type(info.get());
    const GObjectPtr<GAppInfo> app(contentType ? g_app_info_get_default_for_type(contentType, FALSE)
                                               : nullptr);
    if (!app)
        return failed(QStringLiteral("no application opens this kind of file"));
    return launch(app.get(), file);
}

// Asks the file manager to show the file; answers whether it took the request.
bool showInFileManager(GFile *file)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    const GCharPtr uri(g_file_get_uri(file));
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("ShowItems"));
    call << QStringList{QString::fromUtf8(uri.get())} << QString();
    // Short: the user is waiting for a window, and the folder can still be opened instead.
    constexpr int kTimeoutMs = 2000;
    return bus.call(call, QDBus::Block, kTimeoutMs).type() == QDBusMessage::ReplyMessage;
}

} // namespace

ActionResult openWithDefaultApplication(const QByteArray &nativePath)
{
    if (!isFilePath(nativePath))
        return failed(QStringLiteral("no such file"));
    return openFile(fileFor(nativePath).get());
}

ActionResult revealInFileManager(const QByteArray &nativePath)
{
    if (!isFilePath(nativePath))
        return failed(QStringLiteral("no such file"));
    const GObjectPtr<GFile> file = fileFor(nativePath);
    GError *rawError = nullptr;
    const GObjectPtr<GFileInfo> info(g_file_query_info(
        file.get(), G_FILE_ATTRIBUTE_STANDARD_TYPE, G_FILE_QUERY_INFO_NOFOLLOW_SYMLINKS, nullptr, &rawError));
    const GErrorPtr error(rawError);
    if (!info)
        return failed(reasonFor(error.get(), {}));
    if (showInFileManager(file.get()))
        return succeeded();
    // The root has no folder to show it in: open it itself.
    const GObjectPtr<GFile> parent(g_file_get_parent(file.get()));
    return openFile(parent ? parent.get() : file.get());
}

ActionResult moveToTrash(const QByteArray &nativePath)
{
    if (!isFilePath(nativePath))
        return failed(QStringLiteral("no such file"));
    // As rm does: "." and ".." name the folder being worked in and the one above it, never a choice.
    if (endsInDotComponent(nativePath))
        return failed(QStringLiteral("refusing to trash \".\" or \"..\""));
    const QByteArray path = absoluteOperandPath(nativePath);
    // The places the user's files live in are never trashed, however they are spelled; a link to one
    // is only a link, and trashing it trashes the link.
    struct stat st;
    if (::lstat(path.constData(), &st) == 0 && !S_ISLNK(st.st_mode)) {
        if (const QString reason = protectedPlaceReason(realPathOf(path)); !reason.isEmpty())
            return failed(QStringLiteral("refusing to trash ") + reason);
    }
    const GObjectPtr<GFile> file = fileFor(path);
    GError *rawError = nullptr;
    const bool trashed = g_file_trash(file.get(), nullptr, &rawError);
    const GErrorPtr error(rawError);
    if (trashed)
        return succeeded();
    return failed(reasonFor(error.get(), QStringLiteral("this file system has no trash")));
}

ActionResult startApplication(const QByteArray &nativePath)
{
    GError *rawError = nullptr;
    gboolean started = FALSE;
    if (nativePath.endsWith(".desktop")) {
        QString reason;
        if (!isRegularFile(nativePath, &reason)) // GLib would wait for ever on a FIFO
            return failed(reason);
        const GObjectPtr<GDesktopAppInfo> entry(g_desktop_app_info_new_from_filename(nativePath.constData()));
        if (!entry)
            return failed(QStringLiteral("not a usable desktop entry"));
        // The application's output goes nowhere, so a script waiting on ours is not held up by it.
        const int devNull = ::open("/dev/null", O_RDWR | O_CLOEXEC);
        started = g_desktop_app_info_launch_uris_as_manager_with_fds(
            entry.get(), nullptr, nullptr, G_SPAWN_SEARCH_PATH, nullptr, nullptr, nullptr, nullptr, devNull,
            devNull, -1, &rawError);
        if (devNull >= 0)
            ::close(devNull);
    } else {
        const QByteArray home = toNativePath(QDir::homePath());
        char *argv[] = {const_cast<char *>(nativePath.constData()), nullptr};
        // Without DO_NOT_REAP_CHILD, GLib detaches the program so that it never lingers as our child.
        started = g_spawn_async(home.constData(), argv, nullptr,
                                GSpawnFlags(G_SPAWN_STDOUT_TO_DEV_NULL | G_SPAWN_STDIN_FROM_DEV_NULL), nullptr,
                                nullptr, nullptr, &rawError);
    }
    const GErrorPtr error(rawError);
    if (started)
        return succeeded();
    return failed(error ? QStringLiteral("the application could not be started: ") + QString::fromUtf8(error->message)
                        : QStringLiteral("the application could not be started"));
}

ActionResult openUrl(const QByteArray &url)
{
    GError *rawError = nullptr;
    const bool shown = g_app_info_launch_default_for_uri(url.constData(), nullptr, &rawError);
    const GErrorPtr error(rawError);
    if (shown)
        return succeeded();
    return failed(error ? reasonFor(error.get(), QStringLiteral("no application shows this page"))
                        : QStringLiteral("no application shows this page"));
}

QString DesktopServices::interfaceStyle()
{
    return vellumry::interfaceStyle();
}

DesktopServices &DesktopServices::system()
{
    static DesktopServices desktop;
    return desktop;
}

} // namespace vellumry
