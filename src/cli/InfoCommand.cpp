// vellumry-cli info: what each file is, from its header: kind, size, dates, dimensions, length.
#include "cli/Cli.h"

#include "model/FileKinds.h"
#include "model/ItemTexts.h"
#include "model/MediaInfo.h"
#include "platform/NativePath.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <sys/stat.h>

namespace vellumry::cli {

namespace {

std::string numberOrEmpty(qint64 value)
{
    return value > 0 ? std::to_string(value) : std::string();
}

// path, kind, bytes, modification time, date taken, its source, width, height, length in seconds.
void appendInfoLine(std::string &out, const QByteArray &path, const struct stat &st)
{
    const bool folder = S_ISDIR(st.st_mode);
    const FileKind kind = folder ? FileKind::Folder : kindForFileName(lastPathComponent(path).toStdString());
    const MediaInfo info = folder ? MediaInfo() : readMediaInfo(path, kind);
    appendEscapedName(out, std::string_view(path.constData(), size_t(path.size())));
    out += '\t' + kindName(kind).toStdString() + '\t' + std::to_string(folder ? 0 : st.st_size) + '\t';
    char date[32] = {};
    formatDateText(st.st_mtim.tv_sec, date);
    out += date;
    out += '\t';
    if (info.taken.isValid())
        out += info.taken.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toStdString();
    out += '\t' + takenSourceName(info.source).toStdString() + '\t' + numberOrEmpty(info.width) + '\t' +
           numberOrEmpty(info.height) + '\t';
    if (info.lengthSeconds >= 0) {
        char length[64] = {};
        std::snprintf(length, sizeof length, "%.3f", info.lengthSeconds);
        out += length;
    }
    out += '\n';
}

} // namespace

// info FILE...
int infoCommand(const Args &args)
{
    std::vector<std::string_view> files;
    const std::string error = readArguments(args, 0, {}, files);
    if (!error.empty())
        return usageError(error);
    if (files.empty())
        return usageError("info needs at least one file");
    if (hasEmptyOperand(files))
        return usageError(kEmptyPath);

    bool wroteAll = true;
    bool allFound = true;
    for (std::string_view operand : files) {
        const QByteArray path = operandPath(operand);
        struct stat st;
        if (::stat(path.constData(), &st) != 0) {
            const int failure = errno;
            std::fflush(stdout); // the lines stay in the order of the files
            std::fprintf(stderr, "vellumry-cli: cannot read %s: %s\n", escaped(path).c_str(),
                         std::strerror(failure));
            allFound = false;
            continue;
        }
        std::string line;
        appendInfoLine(line, path, st);
        wroteAll = writeOut(line) && wroteAll;
    }
    const int status = finish(wroteAll);
    return allFound ? status : Failure;
}

} // namespace vellumry::cli
