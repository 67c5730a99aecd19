// vellumry-cli thumbnail: each file's thumbnail made, or found, in the shared cache.
#include "cli/Cli.h"

#include "platform/NativePath.h"
#include "views/Thumbnailers.h"

#include <QCoreApplication>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace vellumry::cli {

// Files are worked on two at a time (the thumbnailers' own limit) and reported in the order given, each
// line as soon as it and the ones before it are done.
int thumbnailCommand(int argc, char *argv[], const Args &args)
{
    bool large = false;
    std::vector<std::string_view> files;
    const std::string error =
        readArguments(args, 0, {{"--large"}}, files, [&large](std::string_view, std::string_view) {
            large = true;
            return std::string();
        });
    if (!error.empty())
        return usageError(error);
    if (files.empty())
        return usageError("thumbnail needs at least one file");
    if (hasEmptyOperand(files))
        return usageError(kEmptyPath);

    QCoreApplication app(argc, argv); // image format plugins are found through it
    const auto maker = sharedThumbnailMaker();
    const ThumbnailSize size = large ? ThumbnailSize::Large : ThumbnailSize::Normal;
    QThreadPool pool;
    pool.setMaxThreadCount(ThumbnailMaker::kMaxRunning);
    std::vector<QFuture<ThumbnailResult>> results;
    results.reserve(files.size());
    for (std::string_view file : files)
        results.push_back(QtConcurrent::run(&pool, [maker, size, path = operandPath(file)] {
            return maker->make(path, size, ThumbnailMaker::Sources::PicturesAndThumbnailers);
        }));

    bool wroteAll = true;
    bool allMade = true;
    for (size_t i = 0; i < files.size(); ++i) {
        const ThumbnailResult result = results[i].result();
        allMade = allMade && result.succeeded();
        std::string line(result.succeeded() ? "thumbnail\t" : "failed\t");
        appendEscapedName(line, files[i]);
        line += '\t';
        line += result.succeeded() ? escaped(result.cacheFile) : result.failure.toStdString();
        line += '\n';
        wroteAll = writeOut(line) && std::fflush(stdout) == 0 && wroteAll;
    }
    const int status = finish(wroteAll);
    return status == Success && !allMade ? int(Failure) : status;
}

} // namespace vellumry::cli
