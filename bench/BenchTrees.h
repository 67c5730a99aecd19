// Synthetic trees for the benchmarks, made once by the shared generator and kept between runs, and the
// headless scan they are measured with.
#pragma once

#include "model/ScanFolders.h"
#include "platform/ChildProcess.h"
#include "platform/NativePath.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>

#include <cstdio>
#include <sys/stat.h>

namespace vellumry::bench {

// The tree of `files` files under `dir`, made when missing; an empty result when it could not be made.
inline QByteArray ensureTree(long files, const QByteArray &dir, const QByteArray &generator)
{
    ::mkdir(dir.constData(), 0755);
    const QByteArray tree = dir + "/tree-" + QByteArray::number(qlonglong(files));
    if (QFile::exists(QString::fromLocal8Bit(tree + ".manifest.json")))
        return tree;
    std::fprintf(stderr, "generating %s ...\n", tree.constData());
    const ProcessResult gen = runProcess(
        "/usr/bin/python3", {generator, "--files", QByteArray::number(qlonglong(files)), "--out", tree, "--force"});
    if (!gen.succeeded()) {
        std::fprintf(stderr, "could not generate %s\n", tree.constData());
        return {};
    }
    return tree;
}

// A field of /proc/self/status in kilobytes ("VmRSS", "VmHWM"); -1 when it cannot be read.
inline long statusKilobytes(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray key = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(key))
            return line.mid(key.size()).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// Scans the tree into `lists` with the engine's blocking scan; answers the seconds it took.
inline double scanHeadless(const QByteArray &tree, FileLists &lists, int threads = 0)
{
    QElapsedTimer timer;
    timer.start();
    scanFolders(lists, {tree}, threads);
    return double(timer.nsecsElapsed()) / 1e9;
}

} // namespace vellumry::bench
