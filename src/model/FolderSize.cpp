// Folder sizes from one disk-usage child process per folder.
#include "model/FolderSize.h"

#include "platform/ChildProcess.h"

#include <charconv>

#include <sys/stat.h>

namespace vellumry {

quint64 bytesFromDiskUsageOutput(QByteArrayView output)
{
    quint64 kilobytes = 0;
    const auto [end, error] = std::from_chars(output.data(), output.data() + output.size(), kilobytes);
    if (error == std::errc::result_out_of_range || kilobytes > ~quint64(0) / 1024)
        return 0; // not a count du could print
    return error == std::errc() ? kilobytes * 1024 : 0;
}

quint64 fastFolderSizeAtFilePath(const QByteArray &path)
{
    struct stat st;
    if (::stat(path.constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
        // du still prints the total when some file inside could not be read (and then exits 1);
        // that total is the best answer there is, so it is used whatever the exit status.
        const ProcessResult result = runProcess("/usr/bin/du", {"-k", "-d", "0", path});
        return result.started ? bytesFromDiskUsageOutput(result.standardOutput) : 0;
    }
    if (::lstat(path.constData(), &st) == 0)
        return quint64(st.st_size);
    return 0;
}

} // namespace vellumry
