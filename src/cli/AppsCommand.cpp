// vellumry-cli apps: the installed applications with their versions, architecture and use.
#include "cli/Cli.h"

#include "appmanager/AppInventory.h"
#include "appmanager/AppSorting.h"
#include "platform/NativePath.h"

#include <QTimeZone>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellumry::cli {

int appsCommand(const Args &args)
{
    std::optional<AppSortOrder> order;
    std::vector<std::string_view> none;
    const std::string error = readArguments(
        args, 0, {{"--sort", true, true}}, none,
        [&order](std::string_view, std::string_view value) -> std::string {
            order = appSortOrderFromCliName(value);
            if (!order)
                return "unknown sort order '" + std::string(value) + "'";
            return {};
        },
        "apps takes no arguments besides --sort");
    if (!error.empty())
        return usageError(error);

    PMAppNodeList apps;
    scanAllApplicationFolder(apps);
    if (order)
        apps = sortedApps(apps, *order);

    bool wroteAll = true;
    for (const PMAppNodeRef &app : apps) {
        std::string line = escaped(toNativePath(app->appName()));
        line += '\t';
        line += escaped(toNativePath(app->appPath()));
        line += '\t';
        line += escaped(app->appVersion().toUtf8());
        line += app->b64bit() ? "\tYES\t" : "\tNO\t";
        line += std::to_string(app->usedCount());
        line += '\t';
        if (app->lastOpenDate().isValid())
            line += app->lastOpenDate().toTimeZone(QTimeZone::utc()).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString();
        line += '\t';
        line += escaped(app->shownName().toUtf8()); // the name the desktop's menus show
        line += '\n';
        wroteAll = writeOut(line) && wroteAll;
    }
    return finish(wroteAll);
}

} // namespace vellumry::cli
