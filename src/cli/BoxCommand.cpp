// vellumry-cli box: lists and edits the tray box of favourite applications, as the box itself does.
#include "cli/Cli.h"

#include "appmanager/AppBoxStore.h"
#include "platform/NativePath.h"
#include "platform/Settings.h"

#include <QDir>

namespace vellumry::cli {

namespace {

// The box keeps absolute paths: a relative argument is taken from the working folder.
QString boxPath(std::string_view argument)
{
    const QString path = fromNativePath(QByteArrayView(argument.data(), qsizetype(argument.size())));
    return QDir::isAbsolutePath(path) ? path : QDir::cleanPath(QDir::currentPath() + u'/' + path);
}

std::string line(const char *word, const QString &path, const QString &reason = {})
{
    std::string text = word;
    text += '\t';
    text += escaped(toNativePath(path));
    if (!reason.isEmpty()) {
        text += '\t';
        text += reason.toStdString();
    }
    text += '\n';
    return text;
}

} // namespace

int boxCommand(const Args &args)
{
    if (args.empty())
        return usageError("box needs list, add or remove");
    const std::string_view action = args.front();
    std::vector<std::string_view> paths;
    if (const std::string error = readArguments(args, 1, {}, paths); !error.empty())
        return usageError(error);

    Settings settings;
    if (action == "list") {
        if (!paths.empty())
            return usageError("box list takes no paths");
        std::string out;
        for (const QString &path : AppBoxStore::storedPaths(settings)) {
            out += escaped(toNativePath(path));
            out += '\n';
        }
        return finish(writeOut(out));
    }
    if (action != "add" && action != "remove")
        return usageError("unknown box action '" + std::string(action) + "'");
    if (paths.empty())
        return usageError("box " + std::string(action) + " needs at least one path");

    std::string out;
    bool allDone = true;
    if (action == "add") {
        QList<std::pair<QString, AppBoxStore::Acceptance>> checked; // in argument order
        QStringList accepted;
        for (std::string_view argument : paths) {
            const QString path = boxPath(argument);
            checked.append({path, AppBoxStore::accepts(path)});
            if (checked.last().second.ok)
                accepted.append(path);
        }
        // One write for the whole command, so a failure cannot leave half of it stored.
        const bool stored = accepted.isEmpty() || AppBoxStore::appendPaths(settings, accepted);
        for (const auto &[path, acceptance] : checked) {
            if (acceptance.ok && stored)
                out += line("added", path);
            else
                out +=
                    line("refused", path,
                         acceptance.ok ? QStringLiteral("the box could not be stored") : acceptance.reason);
            allDone = allDone && acceptance.ok && stored;
        }
    } else {
        for (std::string_view argument : paths) {
            const QString path = boxPath(argument);
            const int removed = AppBoxStore::removeEveryEntry(settings, path);
            if (removed > 0) {
                out += line("removed", path);
            } else {
                out += removed == 0 ? line("absent", path)
                                    : line("failed", path, QStringLiteral("the box could not be stored"));
                allDone = false;
            }
        }
    }
    const int status = finish(writeOut(out));
    return status == Success && !allDone ? int(Failure) : status;
}

} // namespace vellumry::cli
