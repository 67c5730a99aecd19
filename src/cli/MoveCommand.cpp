// vellumry-cli move: files up, into a folder or into a main folder, never replacing anything.
#include "cli/Cli.h"

#include "platform/NativePath.h"
#include "reorganise/MovePlanner.h"

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace vellumry::cli {

// move (--up N | --to FOLDER | --to-main MAINFOLDER) [--dry-run] FILE...
int moveCommand(const Args &args)
{
    enum class Where { None, Up, To, ToMain } where = Where::None;
    int up = 0;
    QByteArray folder;
    bool dryRun = false;
    std::vector<std::string_view> files;
    constexpr const char *oneWhere = "choose one of --up, --to and --to-main";
    const std::string error = readArguments(
        args, 0, {{"--dry-run"}, {"--up", true, false, oneWhere}, {"--to", true, false, oneWhere},
                  {"--to-main", true, false, oneWhere}},
        files, [&](std::string_view option, std::string_view value) -> std::string {
            if (option == "--dry-run") {
                dryRun = true;
            } else if (option == "--up") {
                if (value != "1" && value != "2" && value != "3")
                    return "--up takes 1, 2 or 3 (folders up)";
                where = Where::Up;
                up = value[0] - '0';
            } else {
                if (value.empty())
                    return "option '" + std::string(option) + "' needs a folder";
                where = option == "--to" ? Where::To : Where::ToMain;
                folder = operandPath(value);
            }
            return {};
        });
    if (!error.empty())
        return usageError(error);
    if (where == Where::None)
        return usageError("move needs --up N, --to FOLDER or --to-main MAINFOLDER");
    if (files.empty())
        return usageError("move needs at least one file");
    if (hasEmptyOperand(files))
        return usageError(kEmptyPath);
    if (where == Where::ToMain) {
        if (const QString reason = mainFolderRefusal(folder); !reason.isEmpty()) {
            std::fprintf(stderr, "vellumry-cli: cannot move into %s: %s\n", escaped(folder).c_str(),
                         reason.toStdString().c_str());
            return Failure;
        }
    }

    QList<MoveSource> sources;
    for (size_t i = 0; i < files.size(); ++i) {
        const QByteArray path = operandPath(files[i]);
        const QByteArray name = path.mid(path.lastIndexOf('/') + 1);
        sources.append({path, name, int(i), false});
    }
    const Plan plan = where == Where::Up ? planMoveUp(sources, up + 1) : planMoveInto(sources, folder);
    return runPlanCommand(plan, dryRun, QStringLiteral("move"));
}

} // namespace vellumry::cli
