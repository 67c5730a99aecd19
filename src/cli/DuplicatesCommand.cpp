// vellumry-cli duplicates: the sets of files with one content in the scanned folders, one file a line.
#include "cli/Cli.h"

#include "duplicates/DuplicateFinder.h"
#include "model/FileLists.h"
#include "model/ItemTexts.h"
#include "model/ScanFolders.h"
#include "platform/NativePath.h"

#include <QCoreApplication>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace vellumry::cli {

namespace {

// A count with thousands separated by commas, as the window shows them: "1,044".
std::string countText(quint64 n)
{
    std::string digits = std::to_string(n);
    for (int at = int(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(std::size_t(at), 1, ',');
    return digits;
}

std::string counted(quint64 n, const char *one, const char *many)
{
    return countText(n) + ' ' + (n == 1 ? one : many);
}

} // namespace

// duplicates [--empty] FOLDER...
int duplicatesCommand(int argc, char *argv[], const Args &args)
{
    DuplicateSearch search;
    std::vector<std::string_view> folders;
    const std::string error =
        readArguments(args, 0, {{"--empty"}}, folders, [&](std::string_view, std::string_view) {
            search.includeEmpty = true;
            return std::string();
        });
    if (!error.empty())
        return usageError(error);
    if (folders.empty())
        return usageError("duplicates needs at least one folder");
    if (hasEmptyOperand(folders))
        return usageError(kEmptyPath);

    QCoreApplication app(argc, argv);
    QByteArrayList paths;
    for (std::string_view folder : folders) {
        paths.append(operandPath(folder));
        // A folder that cannot be read would silently hide its copies: say so rather than answer "none".
        const int fd = ::open(paths.last().constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) {
            std::fprintf(stderr, "vellumry-cli: cannot scan %s: %s\n", escaped(paths.last()).c_str(),
                         std::strerror(errno));
            return Failure;
        }
        ::close(fd);
    }
    FileLists lists;
    scanFolders(lists, paths);

    // Regular files only: application bundles are folders, and their files are not listed apart.
    std::vector<DuplicateCandidate> candidates;
    candidates.reserve(std::size_t(lists.filesItemArray.size()));
    for (const IKImageItemRef &item : lists.filesItemArray) {
        if (item->bDir() || item->isFolderItem() || item->kind() == FileKind::Application)
            continue;
        candidates.push_back({item->nativeFilePath(), item->filesizenum()});
    }
    const std::atomic_bool cancelled{false};
    const DuplicateResult result = findDuplicates(candidates, search, cancelled);

    std::string out;
    bool wroteAll = true;
    quint64 files = 0;
    quint64 wasted = 0;
    std::size_t number = 0;
    for (const DuplicateGroup &group : result.groups) {
        if (number++ > 0)
            out += '\n';
        const std::string head = std::to_string(number) + '\t' + std::to_string(group.size) + '\t';
        for (std::size_t member : group.members) {
            out += head;
            const QByteArray &path = candidates[member].path;
            appendEscapedName(out, std::string_view(path.constData(), std::size_t(path.size())));
            out += '\n';
        }
        files += group.members.size();
        wasted += group.wastedBytes();
        if (out.size() >= (1u << 20)) {
            wroteAll = writeOut(out) && wroteAll;
            out.clear();
        }
    }
    wroteAll = writeOut(out) && wroteAll;

    std::string summary = counted(result.groups.size(), "group", "groups") + ", " +
                          counted(files, "file", "files") + ", " + sizeText(wasted).toStdString() +
                          " could be freed";
    if (result.unreadable > 0)
        summary += ", " + countText(quint64(result.unreadable)) + " unreadable";
    if (result.changed > 0)
        summary += ", " + countText(quint64(result.changed)) + " changed since the scan";
    std::fprintf(stderr, "%s\n", summary.c_str());
    return finish(wroteAll);
}

} // namespace vellumry::cli
