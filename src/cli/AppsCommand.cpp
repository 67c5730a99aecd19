// vellumry-cli apps: the installed applications with their versions, architecture and use.
#include "cli/Cli.h"

#include "appmanager/AppInventory.h"
#include "appmanager/AppSorting.h"
#include "platform/NativePath.h"

#include <QTimeZone>

#include <optional>
#include <string>

namespace vellumry::cli {

int appsCommand(const Args &args)
{
    std::optional<AppSortOrder> order;
    for (size_t i = 0; i < args.size(); ++i) {
        std::string_view arg = args[i];
        std::string_view value;
        if (arg == "--sort") {
            if (i + 1 >= args.size())
                return usageError("option '--sort' needs a value");
            value = args[++i];
        } else if (arg.starts_with("--sort=")) {
            value = arg.substr(7);
        } else if (!arg.empty() && arg[0] == '-') {
            return usageError("unknown option '" + std::string(arg) + "'");
        } else {
            return usageError("apps takes no arguments besides --sort");
        }
        order = appSortOrderFromCliName(value);
        if (!order)
            return usageError("unknown sort order '" + std::string(value) + "'");
    }

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
        line += '\n';
        wroteAll = writeOut(line) && wroteAll;
    }
    return finish(wroteAll);
}

} // namespace vellumry::cli
