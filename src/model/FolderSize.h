// The size of a folder as the disk-usage tool counts it.
#pragma once

#include <QByteArray>

namespace vellumry {

// For an existing folder (links followed): the kilobyte count of "/usr/bin/du -k -d 0 PATH" times 1024.
// Otherwise the size of the entry at the path itself, 0 when it cannot be read. Any thread.
quint64 fastFolderSizeAtFilePath(const QByteArray &path);

// The leading decimal count of du's output ("1234\t/path"), times 1024; 0 when there is none.
quint64 bytesFromDiskUsageOutput(QByteArrayView output);

} // namespace vellumry
