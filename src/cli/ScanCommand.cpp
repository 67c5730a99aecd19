// vellumry-cli scan: folders into one set of lists, one list printed, one item a line.
#include "cli/Cli.h"

#include "model/FileLists.h"
#include "model/ScanFolders.h"
#include "platform/NativePath.h"
#include "views/Comparators.h"
#include "views/NameMatch.h"

#include <QCoreApplication>

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vellumry::cli {

namespace {

// Appends one item line: kind, bytes, size text, date text, path (a folder item's name).
void appendItemLine(std::string &out, const IKImageItem &item)
{
    out += item.fileType().toStdString();
    out += '\t';
    char buffer[100] = {};
    std::snprintf(buffer, sizeof buffer, "%llu", static_cast<unsigned long long>(item.filesizenum()));
    out += buffer;
    out += '\t';
    out += item.fileSize().toStdString();
    out += '\t';
    out += item.modifDate().toStdString();
    out += '\t';
    const QByteArray path = item.bDir() ? item.nativeFileName() : item.nativeFilePath();
    appendEscapedName(out, std::string_view(path.constData(), size_t(path.size())));
    out += '\n';
}

const ItemList *chooseList(const FileLists &lists, std::string_view name)
{
    if (name == "files")
        return &lists.filesItemArray;
    if (name == "image")
        return &lists.imageFilesItemArray;
    if (name == "audio")
        return &lists.audioFilesItemArray;
    if (name == "video")
        return &lists.videoFilesItemArray;
    if (name == "document")
        return &lists.documentFilesItemArray;
    if (name == "archive")
        return &lists.archiveFilesItemArray;
    if (name == "other")
        return &lists.otherFilesItemArray;
    if (name == "current")
        return &lists.currentViewItemArray;
    return nullptr;
}

} // namespace

// scan [--list LIST] [--sort ORDER] [--match TEXT] FOLDER...
int scanCommand(int argc, char *argv[], const Args &args)
{
    std::string_view listName = "files";
    std::optional<std::string_view> sortName;
    std::optional<std::string_view> matchText;
    std::vector<std::string_view> folders;
    const std::string error = readArguments(
        args, 0, {{"--list", true, true}, {"--sort", true, true}, {"--match", true, true}}, folders,
        [&](std::string_view option, std::string_view value) {
            if (option == "--match")
                matchText = value;
            else
                (option == "--list" ? listName : sortName.emplace()) = value;
            return std::string();
        });
    if (!error.empty())
        return usageError(error);
    FileLists lists;
    const ItemList *chosen = chooseList(lists, listName);
    if (!chosen)
        return usageError("unknown list '" + std::string(listName) + "'");
    std::optional<SortOrder> order;
    if (sortName) {
        order = sortOrderFromCliName(*sortName);
        if (!order)
            return usageError("unknown sort order '" + std::string(*sortName) + "'");
    }
    if (folders.empty())
        return usageError("scan needs at least one folder");
    if (hasEmptyOperand(folders))
        return usageError(kEmptyPath);

    QCoreApplication app(argc, argv);
    QByteArrayList paths;
    for (std::string_view folder : folders)
        paths.append(operandPath(folder));
    scanFolders(lists, paths);
    if (order)
        sortItems(lists.filesItemArray, *order);

    // The same rule as the window's filter field; locations are taken below the scanned folders.
    const NameMatcher matcher(matchText ? QString::fromUtf8(matchText->data(), qsizetype(matchText->size()))
                                        : QString());
    std::string out;
    bool wroteAll = true;
    for (const IKImageItemRef &item : *chosen) {
        if (!matcher.matches(*item, paths))
            continue;
        appendItemLine(out, *item);
        if (out.size() >= (1u << 20)) {
            wroteAll = writeOut(out) && wroteAll;
            out.clear();
        }
    }
    wroteAll = writeOut(out) && wroteAll;
    return finish(wroteAll);
}

} // namespace vellumry::cli
