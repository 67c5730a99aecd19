// The blocking scan on the walker, with the hand-over the FolderScanner does.
#include "model/ScanFolders.h"

#include "model/FolderSize.h"

#include <algorithm>
#include <mutex>

#include <sys/stat.h>
#include <unistd.h>

namespace vellumry {

void appendScanBatch(FileLists &lists, ScanBatch &batch)
{
    for (ScanRecord &record : batch) {
        if (record.lists & ScanRecord::ToKindList)
            lists.listForKind(record.item->kind()).append(record.item);
        if (record.lists & ScanRecord::ToFiles)
            lists.filesItemArray.append(record.item);
        if (record.lists & ScanRecord::ToCurrentView)
            lists.currentViewItemArray.append(std::move(record.item));
    }
    batch.clear();
}

void scanFolders(FileLists &lists, const QByteArrayList &folders, int walkThreads)
{
    std::vector<FolderId> mainFolders;
    for (const QByteArray &folder : folders) {
        const int fd = openFolderForListing(folder);
        if (fd < 0)
            continue;
        struct stat st;
        if (::fstat(fd, &st) == 0)
            mainFolders.push_back(FolderId{st.st_dev, st.st_ino});
        ::close(fd);
    }
    // The walker hands batches over from the walking thread, in order; the lock keeps the lists whole
    // should a batch ever come from another one.
    std::mutex listsMutex;
    for (const QByteArray &folder : folders) {
        ScanWalker::Options options;
        options.threads = walkThreads;
        options.bundleSize = &fastFolderSizeAtFilePath;
        options.isMainFolder = [&mainFolders](FolderId id) {
            return std::find(mainFolders.cbegin(), mainFolders.cend(), id) != mainFolders.cend();
        };
        options.deliver = [&](ScanBatch &&batch) {
            std::lock_guard lock(listsMutex);
            appendScanBatch(lists, batch);
        };
        ScanWalker walker(std::move(options)); // a walk of its own per folder, as each scan request is
        walker.startScanCurrentFolderwithFolderPath(folder);
    }
}

} // namespace vellumry
