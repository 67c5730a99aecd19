// The installed applications and what the desktop knows about them.
#include "appmanager/AppInventory.h"

#include "platform/ChildProcess.h"
#include "platform/GLibPointers.h"
#include "platform/NativePath.h"
#include "platform/RegularFile.h"

#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSet>
#include <QStandardPaths>
#include <QTimeZone>

#include <gio/gdesktopappinfo.h>
#include <glib.h>

#include <algorithm>
#include <limits>
#include <memory>

Q_LOGGING_CATEGORY(lcInventory, "vellumry")

namespace vellumry {

using namespace Qt::StringLiterals;

namespace {

const char kGroup[] = "Desktop Entry";

QString keyString(GKeyFile *file, const char *key)
{
    GCharPtr value(g_key_file_get_string(file, kGroup, key, nullptr));
    return value ? QString::fromUtf8(value.get()) : QString();
}

// The first word of a command line, with the quoting of desktop entries and of shells undone.
QString firstWord(const QString &command)
{
    const QByteArray bytes = command.trimmed().toUtf8();
    if (bytes.isEmpty())
        return {};
    gchar **argv = nullptr;
    if (g_shell_parse_argv(bytes.constData(), nullptr, &argv, nullptr)) {
        const GStrvPtr owned(argv);
        return argv[0] ? QString::fromUtf8(argv[0]) : QString();
    }
    // Not valid shell quoting: the text up to the first blank.
    return command.trimmed().section(u' ', 0, 0);
}

QString baseName(const QString &program)
{
    return program.section(u'/', -1);
}

bool isEmptyOrHasGlob(const QString &path)
{
    return path.isEmpty() || path.contains(u'*') || path.contains(u'?') || path.contains(u'[') ||
           path.contains(u'\\');
}

QString desktopId(const QString &entryPath)
{
    QString name = baseName(entryPath);
    if (name.endsWith(u".desktop"_s))
        name.chop(8);
    return name;
}

} // namespace

std::optional<DesktopEntry> loadDesktopEntry(const QString &path)
{
    // Read here rather than by GLib, which would wait for ever on a FIFO.
    const FileContent text = readRegularFile(toNativePath(path), 1 << 20);
    GKeyFilePtr file(g_key_file_new());
    if (!text.ok ||
        !g_key_file_load_from_data(file.get(), text.content.constData(), gsize(text.content.size()),
                                   G_KEY_FILE_NONE, nullptr) ||
        !g_key_file_has_group(file.get(), kGroup))
        return std::nullopt;
    DesktopEntry entry;
    entry.type = keyString(file.get(), "Type");
    entry.name = keyString(file.get(), "Name");
    // The locale's Name[xx] as GLib picks it from LANGUAGE, LC_ALL, LC_MESSAGES and LANG.
    const GCharPtr localized(g_key_file_get_locale_string(file.get(), kGroup, "Name", nullptr, nullptr));
    entry.localizedName = localized ? QString::fromUtf8(localized.get()) : entry.name;
    entry.exec = keyString(file.get(), "Exec");
    entry.tryExec = keyString(file.get(), "TryExec");
    entry.icon = keyString(file.get(), "Icon").trimmed();
    entry.appImageVersion = keyString(file.get(), "X-AppImage-Version").trimmed();
    entry.hidden = g_key_file_get_boolean(file.get(), kGroup, "Hidden", nullptr);
    entry.noDisplay = g_key_file_get_boolean(file.get(), kGroup, "NoDisplay", nullptr);
    return entry;
}

QString entryExecutable(const DesktopEntry &entry)
{
    QString program = firstWord(entry.tryExec);
    if (program.isEmpty())
        program = firstWord(entry.exec);
    if (program.isEmpty())
        return {};
    if (program.contains(u'/') && !program.startsWith(u'/'))
        return {}; // relative to whatever folder the launcher runs in: not something to look up
    GCharPtr found(g_find_program_in_path(toNativePath(program).constData()));
    if (!found)
        return {};
    const QString path = fromNativePath(found.get());
    const QFileInfo info(path);
    return info.isFile() && info.isExecutable() ? path : QString();
}

bool desktopEntryLoadsInGio(const QString &path)
{
    const QByteArray native = toNativePath(path);
    if (!isRegularFile(native)) // GIO would wait for ever on a FIFO
        return false;
    GDesktopAppInfo *info = g_desktop_app_info_new_from_filename(native.constData());
    if (!info)
        return false;
    g_object_unref(info);
    return true;
}

QString entryProgramName(const DesktopEntry &entry)
{
    return baseName(firstWord(entry.exec));
}

QStringList applicationFolders()
{
    QStringList folders;
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (!QDir::isAbsolutePath(dataHome))
        dataHome = QDir::homePath() + u"/.local/share"_s;
    folders.append(dataHome + u"/applications"_s);
    QStringList dataDirs;
    for (const QString &dir : qEnvironmentVariable("XDG_DATA_DIRS").split(u':', Qt::SkipEmptyParts)) {
        if (QDir::isAbsolutePath(dir))
            dataDirs.append(dir);
    }
    if (dataDirs.isEmpty()) // unset, or nothing usable in it
        dataDirs = QStringList{u"/usr/local/share"_s, u"/usr/share"_s};
    for (const QString &dir : std::as_const(dataDirs)) {
        const QString folder = QDir::cleanPath(dir) + u"/applications"_s;
        if (!folders.contains(folder))
            folders.append(folder);
    }
    return folders;
}

QStringList installedDesktopEntries()
{
    QStringList entries;
    QSet<QString> seenIds;
    for (const QString &folder : applicationFolders()) {
        // An entry in a subfolder has the subfolder in its ID: applications/kde/a.desktop is kde-a.desktop.
        QList<std::pair<QString, QString>> found; // ID, path
        QDirIterator it(folder, {u"*.desktop"_s}, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            QString id = path.mid(folder.size() + 1);
            id.replace(u'/', u'-');
            found.append({id, path});
        }
        std::sort(found.begin(), found.end());
        for (const auto &[id, path] : found) {
            if (seenIds.contains(id))
                continue;
            seenIds.insert(id);
            // A Hidden entry deletes the ID, also for the folders after this one.
            const std::optional<DesktopEntry> entry = loadDesktopEntry(path);
            if (entry && (entry->hidden || (!entry->type.isEmpty() && entry->type != u"Application"_s)))
                continue;
            entries.append(path);
        }
    }
    return entries;
}

QString RecentUseStore::defaultPath()
{
    QString dataHome = qEnvironmentVariable("XDG_DATA_HOME");
    if (!QDir::isAbsolutePath(dataHome))
        dataHome = QDir::homePath() + u"/.local/share"_s;
    return dataHome + u"/recently-used.xbel"_s;
}

RecentUseStore RecentUseStore::load(const QString &path)
{
    RecentUseStore store;
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return store; // nothing recorded yet
    // A FIFO or device in its place is unreadable, never waited on.
    const FileContent text = readRegularFile(toNativePath(path));
    GBookmarkFilePtr file(g_bookmark_file_new());
    if (!text.ok || text.content.isEmpty() ||
        !g_bookmark_file_load_from_data(file.get(), text.content.constData(), gsize(text.content.size()),
                                        nullptr)) {
        store.m_readable = false;
        return store;
    }
    const GStrvPtr uris(g_bookmark_file_get_uris(file.get(), nullptr));
    for (gchar **uri = uris.get(); uri && *uri; ++uri) {
        const GStrvPtr apps(g_bookmark_file_get_applications(file.get(), *uri, nullptr, nullptr));
        for (gchar **app = apps.get(); app && *app; ++app) {
            gchar *exec = nullptr;
            guint count = 0;
            GDateTime *stamp = nullptr;
            if (!g_bookmark_file_get_application_info(file.get(), *uri, *app, &exec, &count, &stamp, nullptr))
                continue;
            const GCharPtr ownedExec(exec);
            Record record;
            record.name = QString::fromUtf8(*app);
            record.program = exec ? baseName(firstWord(QString::fromUtf8(exec))) : QString();
            record.count = int(std::min<guint>(count, guint(std::numeric_limits<int>::max())));
            if (stamp) // owned by the bookmark file
                record.modified = QDateTime::fromSecsSinceEpoch(g_date_time_to_unix(stamp), QTimeZone::utc());
            store.m_records.append(record);
        }
    }
    return store;
}

RecentUseStore::Use RecentUseStore::useOf(const DesktopEntry &entry, const QString &entryPath) const
{
    Use use;
    if (!m_readable) {
        use.count = -1;
        return use;
    }
    const QString program = entryProgramName(entry);
    const QString id = desktopId(entryPath);
    for (const Record &record : m_records) {
        const bool matches = (!program.isEmpty() && record.program == program) ||
                             (!record.name.isEmpty() && (record.name == entry.name || record.name == id));
        if (!matches)
            continue;
        if (use.count < std::numeric_limits<int>::max() - record.count)
            use.count += record.count;
        else
            use.count = std::numeric_limits<int>::max();
        if (record.modified.isValid() && (!use.lastUsed.isValid() || record.modified > use.lastUsed))
            use.lastUsed = record.modified;
    }
    return use;
}

RecentUseStore::Use recentUseOf(const QString &appPath, const RecentUseStore &uses)
{
    if (!appPath.endsWith(u".desktop"_s)) {
        DesktopEntry program;
        const GCharPtr quoted(g_shell_quote(appPath.toUtf8().constData()));
        program.exec = QString::fromUtf8(quoted.get());
        return uses.useOf(program, appPath);
    }
    const std::optional<DesktopEntry> entry = loadDesktopEntry(appPath);
    if (!entry)
        return uses.readable() ? RecentUseStore::Use{} : RecentUseStore::Use{-1, {}};
    return uses.useOf(*entry, appPath);
}

int GetAppUsedCount(const QString &appPath)
{
    const RecentUseStore store = RecentUseStore::load();
    if (!store.readable())
        return -1;
    const std::optional<DesktopEntry> entry = loadDesktopEntry(appPath);
    return entry ? store.useOf(*entry, appPath).count : 0;
}

bool is64bitExecutable(const QString &executable)
{
    const QFileInfo info(executable);
    // `file` describes a symbolic link as a link: hand it the program the link leads to.
    const QString target = info.canonicalFilePath();
    if (target.isEmpty() || !QFileInfo(target).isFile())
        return false;
    const QByteArray native = toNativePath(target);
    const ProcessResult run = runProcess("/usr/bin/file", {native});
    if (!run.succeeded())
        return false;
    QByteArray description = run.standardOutput;
    // Only the description counts, not the path it starts with (which may well say "x86_64").
    if (description.startsWith(QByteArray(native + ": ")))
        description = description.mid(native.size() + 2);
    const QString text = QString::fromUtf8(description);
    return text.contains(u"x86_64"_s, Qt::CaseInsensitive) || text.contains(u"x86-64"_s, Qt::CaseInsensitive);
}

bool is64bitApplicationwithfilepath(const QString &appPath)
{
    const std::optional<DesktopEntry> entry = loadDesktopEntry(appPath);
    if (!entry)
        return false;
    const QString executable = entryExecutable(*entry);
    return !executable.isEmpty() && is64bitExecutable(executable);
}

QString packageVersionForPath(const QString &path)
{
    // dpkg reads its argument as a pattern: only a plain absolute path names exactly one file.
    if (!QDir::isAbsolutePath(path) || isEmptyOrHasGlob(path))
        return {};
    const QByteArray native = toNativePath(path);
    const ProcessResult owner = runProcess("/usr/bin/dpkg-query", {"-S", native});
    if (!owner.succeeded())
        return {};
    QByteArray package;
    for (const QByteArray &line : owner.standardOutput.split('\n')) {
        // "package[:arch][, other]: /the/path"; diversion lines name no owner.
        if (line.startsWith("diversion by ") || !line.endsWith(QByteArray(": " + native)))
            continue;
        package = line.left(line.size() - native.size() - 2).split(',').first().trimmed();
        break;
    }
    if (package.isEmpty() || package.startsWith('-'))
        return {};
    const ProcessResult version = runProcess("/usr/bin/dpkg-query", {"-W", "-f=${Version}", package});
    if (!version.succeeded())
        return {};
    return QString::fromUtf8(version.standardOutput).trimmed();
}

QString applicationVersion(const QString &appPath, const DesktopEntry &entry)
{
    QString version = packageVersionForPath(appPath);
    if (version.isEmpty())
        version = entry.appImageVersion;
    return version.isEmpty() ? u"1.0.0"_s : version;
}

std::optional<PMAppNodeRef> applicationRecord(const QString &appPath, const RecentUseStore &uses)
{
    const std::optional<DesktopEntry> entry = loadDesktopEntry(appPath);
    if (!entry)
        return std::nullopt;
    auto node = PMAppNodeRef::create();
    node->setAppName(baseName(appPath));
    node->setAppPath(appPath);
    node->setAppImage(entry->icon);
    node->setMenuName(entry->localizedName.trimmed());
    if (entry->noDisplay)
        node->setHiddenReason(u"marked NoDisplay, so the desktop's menus leave it out"_s);
    else if (!desktopEntryLoadsInGio(appPath))
        node->setHiddenReason(u"its program is missing, so the desktop cannot start it"_s);
    const QString executable = entryExecutable(*entry);
    node->setB64bit(!executable.isEmpty() && is64bitExecutable(executable));
    node->setAppVersion(applicationVersion(appPath, *entry));
    const QDateTime modified = QFileInfo(appPath).lastModified().toUTC();
    const RecentUseStore::Use use = uses.useOf(*entry, appPath);
    node->setModifyDate(modified);
    node->setLastOpenDate(use.lastUsed.isValid() ? use.lastUsed : modified);
    node->setUsedCount(use.count);
    return node;
}

void addMenuNameAndIcon(PMAppNode &node)
{
    if (!node.appPath().endsWith(u".desktop"_s))
        return;
    const std::optional<DesktopEntry> entry = loadDesktopEntry(node.appPath());
    if (!entry)
        return;
    node.setMenuName(entry->localizedName.trimmed());
    if (node.appImage().isEmpty())
        node.setAppImage(entry->icon);
}

int scanAllApplicationFolder(PMAppNodeList &fileNadeArray, const InventoryHandBacks &handBacks,
                             const std::atomic<bool> *cancelled)
{
    const auto stopped = [cancelled] { return cancelled && cancelled->load(); };
    const QStringList entries = installedDesktopEntries();
    if (entries.isEmpty()) {
        qCInfo(lcInventory, "No find Duplicat files");
        return 0;
    }
    // The record of uses is read once for the whole inventory.
    const RecentUseStore uses = RecentUseStore::load();
    int added = 0;
    for (const QString &path : entries) {
        if (stopped())
            return added;
        const std::optional<PMAppNodeRef> node = applicationRecord(path, uses);
        if (!node)
            continue;
        fileNadeArray.append(*node);
        ++added;
        if (handBacks.LoadTableViewOnMainThread)
            handBacks.LoadTableViewOnMainThread();
    }
    if (!stopped() && handBacks.ScanFinsihOnMainThread)
        handBacks.ScanFinsihOnMainThread();
    return added;
}

} // namespace vellumry
