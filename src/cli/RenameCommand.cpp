// vellumry-cli rename: files renamed from their folders' names, their path or a text.
#include "cli/Cli.h"

#include "platform/NativePath.h"
#include "reorganise/RenamePlanner.h"

#include <string>
#include <string_view>
#include <vector>

namespace vellumry::cli {

// rename --mode parent|components|text --variant begin|end|replace [--depth 1-5] [--text T] [--find F]
//        [--replace R] [--dry-run] FILE...   (the numbered form carries the file's position among the arguments)
int renameCommand(const Args &args)
{
    RenameOptions options;
    bool haveMode = false, haveVariant = false, dryRun = false;
    std::vector<std::string_view> files;
    const std::string error = readArguments(
        args, 0,
        {{"--dry-run"}, {"--mode", true}, {"--variant", true}, {"--depth", true}, {"--text", true},
         {"--find", true}, {"--replace", true}},
        files, [&](std::string_view option, std::string_view value) -> std::string {
            const QString text = fromNativePath(QByteArrayView(value.data(), qsizetype(value.size())));
            if (option == "--dry-run") {
                dryRun = true;
            } else if (option == "--mode") {
                haveMode = true;
                if (value == "parent")
                    options.mode = RenameMode::ParentFolderName;
                else if (value == "components")
                    options.mode = RenameMode::PathComponents;
                else if (value == "text")
                    options.mode = RenameMode::Text;
                else
                    return "--mode takes parent, components or text";
            } else if (option == "--variant") {
                haveVariant = true;
                if (value == "begin")
                    options.variant = RenameVariant::AddToBeginning;
                else if (value == "end")
                    options.variant = RenameVariant::AddToEnd;
                else if (value == "replace")
                    options.variant = RenameVariant::Replace;
                else
                    return "--variant takes begin, end or replace";
            } else if (option == "--depth") {
                if (value.size() != 1 || value[0] < '1' || value[0] > '5')
                    return "--depth takes 1 to 5";
                options.depth = value[0] - '0';
            } else if (option == "--text") {
                options.text = text;
            } else if (option == "--find") {
                options.find = text;
            } else {
                options.replace = text;
            }
            return {};
        });
    if (!error.empty())
        return usageError(error);
    if (!haveMode || !haveVariant)
        return usageError("rename needs --mode and --variant");
    if (files.empty())
        return usageError("rename needs at least one file");
    if (hasEmptyOperand(files))
        return usageError(kEmptyPath);
    QList<RenameSource> sources;
    for (size_t i = 0; i < files.size(); ++i)
        sources.append({operandPath(files[i]), int(i), false});
    return runPlanCommand(planRename(sources, options), dryRun, QStringLiteral("rename"));
}

} // namespace vellumry::cli
