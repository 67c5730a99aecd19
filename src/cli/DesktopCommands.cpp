// vellumry-cli trash, open and reveal: a desktop action on each path in turn.
#include "cli/Cli.h"

#include "platform/DesktopServices.h"
#include "platform/NativePath.h"

#include <QCoreApplication>

#include <cstdio>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace vellumry::cli {

namespace {

// The Trash through the journal: a trash run is a batch like the others.
ActionResult trashWithJournal(const QByteArray &path)
{
    static const std::unique_ptr<MoveJournal> journal = openJournal(QStringLiteral("trash"));
    if (!journal)
        return {false, QStringLiteral("the journal cannot be written")};
    return trashJournaled(path, journal.get());
}

} // namespace

// The action on each path in turn, one result line each, as it happens. Lines show each path as it was
// given. The action gets the resolved path; trashing gets the path as given (it judges "." and ".." itself
// before resolving).
int desktopCommand(int argc, char *argv[], const Args &args, std::string_view command)
{
    const bool trash = command == "trash";
    const std::string_view done = trash ? "trashed" : command == "open" ? "opened" : "revealed";
    ActionResult (*action)(const QByteArray &) =
        trash ? &trashWithJournal : command == "open" ? &openWithDefaultApplication : &revealInFileManager;

    std::vector<std::string_view> paths;
    if (const std::string error = readArguments(args, 0, {}, paths); !error.empty())
        return usageError(error);
    if (paths.empty())
        return usageError(std::string(command) + " needs at least one path");
    if (hasEmptyOperand(paths))
        return usageError(kEmptyPath);

    QCoreApplication app(argc, argv); // the session bus wants one
    bool wroteAll = true;
    bool allDone = true;
    for (std::string_view path : paths) {
        const ActionResult result = action(trash ? QByteArray(path.data(), qsizetype(path.size())) : operandPath(path));
        allDone = allDone && result.ok;
        std::string line(result.ok ? done : "failed");
        line += '\t';
        appendEscapedName(line, path);
        if (!result.ok) {
            line += '\t';
            line += result.reason.toStdString();
        }
        line += '\n';
        wroteAll = writeOut(line) && std::fflush(stdout) == 0 && wroteAll;
    }
    const int status = finish(wroteAll);
    return status == Success && !allDone ? int(Failure) : status;
}

} // namespace vellumry::cli
