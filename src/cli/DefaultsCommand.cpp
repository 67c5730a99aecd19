// vellumry-cli defaults: content types, default applications and the application map.
#include "cli/Cli.h"

#include "defaultapps/LaunchServices.h"
#include "platform/NativePath.h"

#include <QLoggingCategory>

#include <cstdio>
#include <string>
#include <vector>

namespace vellumry::cli {
namespace {

QString argText(std::string_view arg) { return fromNativePath(QByteArrayView(arg.data(), qsizetype(arg.size()))); }

std::string lineText(const QString &text) { return escaped(toNativePath(text)); }

} // namespace

// defaults type EXT... | get EXT... | set DESKTOP_ID EXT... | map
int defaultsCommand(const Args &args)
{
    if (args.empty())
        return usageError("defaults needs type, get, set or map");
    const std::string_view sub = args.front();
    std::vector<std::string_view> words;
    if (const std::string error = readArguments(args, 1, {}, words); !error.empty())
        return usageError(error);

    if (sub == "type" || sub == "get") {
        if (words.empty())
            return usageError("defaults " + std::string(sub) + " needs at least one extension");
        std::string out;
        for (std::string_view word : words) {
            const QString extension = argText(word);
            out += lineText(sub == "type" ? GetUTIforFileExtension(extension)
                                          : GetDefaultApplicationForFileExtension(extension));
            out += '\n';
        }
        return finish(writeOut(out));
    }
    if (sub == "set") {
        if (words.size() < 2)
            return usageError("defaults set needs a desktop file ID and at least one extension");
        const QString id = argText(words.front());
        bool wroteAll = true, allSet = true;
        for (size_t i = 1; i < words.size(); ++i) {
            QString reason;
            const bool set = setMyselfAsDefaultApplicationForFileExtension(argText(words[i]), id, &reason) ==
                             kDefaultSet;
            allSet = allSet && set;
            std::string line = set ? "set\t" : "failed\t";
            appendEscapedName(line, words[i]);
            if (!set)
                line += '\t' + reason.toStdString();
            line += '\n';
            wroteAll = writeOut(line) && std::fflush(stdout) == 0 && wroteAll;
        }
        const int status = finish(wroteAll);
        return status == Success && !allSet ? int(Failure) : status;
    }
    if (sub == "map") {
        if (!words.empty())
            return usageError("defaults map takes no arguments");
        // The map's log line would repeat the output on standard error; QT_LOGGING_RULES can bring it back.
        QLoggingCategory::setFilterRules(QStringLiteral("vellumry.info=false"));
        std::string out;
        for (const ApplicationEntry &entry : getImageApplicationDiction()) {
            out += lineText(entry.path);
            out += '\t';
            out += entry.extensions.join(QStringLiteral(", ")).toStdString();
            out += '\n';
        }
        return finish(writeOut(out));
    }
    return usageError("unknown defaults command '" + std::string(sub) + "'");
}

} // namespace vellumry::cli
