// The blocking scan: folders into one set of lists, for callers that wait for the whole answer (the
// command-line tool, the benchmarks) rather than show it as it arrives.
#pragma once

#include "model/FileLists.h"
#include "model/ScanWalker.h"

#include <QByteArrayList>

namespace vellumry {

// Scans `folders` (exact path bytes) one after another into `lists`, appending, and returns when all are
// done. The lists are those a FolderScanner asked for the same folders in the same order gives: the same
// items in the same order, under the same link rules, every one of `folders` being a main folder from the
// start. A folder that cannot be read adds nothing. Runs on the calling thread (with `walkThreads` listing
// threads in all; 0: one per core) and needs no event loop; `lists` is written only on the calling thread.
void scanFolders(FileLists &lists, const QByteArrayList &folders, int walkThreads = 0);

// Appends the records of one walked batch to the lists they name, in order; the batch is left empty.
void appendScanBatch(FileLists &lists, ScanBatch &batch);

} // namespace vellumry
