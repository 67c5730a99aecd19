// Classification benchmark: the engine classifying a generated tree by kind, against plain `mv` moving
// the same files into the same folders (one mkdir, then one mv per folder), each on its own fresh copy.
//
//   classify_bench [--files 10000] [--dir DIR] [--runs R] [--generator PATH]
//
// The engine's figure covers what the program does: the scan, the plan, the journaled moves one at a
// time, and the clean-up of the top level (inside a throw-away home). Best of R runs. Then the undo of
// that classification on the same tree (history, plan, journaled moves back, folders remade and removed),
// against the classification itself.
#include "BenchTrees.h"
#include "model/FileLists.h"
#include "platform/ChildProcess.h"
#include "reorganise/ClassifyExecutor.h"
#include "reorganise/Undo.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QMap>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

using namespace vellumry;

namespace {

bool copyTree(const QByteArray &from, const QByteArray &to)
{
    runProcess("/bin/rm", {"-rf", "--", to});
    return runProcess("/bin/cp", {"-a", "--", from, to}).succeeded();
}

double seconds(const QElapsedTimer &timer) { return double(timer.nsecsElapsed()) / 1e9; }

} // namespace

int main(int argc, char *argv[])
{
    long files = 10000;
    int runs = 3;
    QByteArray dir = "/tmp/vellumry-bench";
    QByteArray generator = VELLUMRY_TREE_GENERATOR;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (i + 1 >= argc) {
            std::fprintf(stderr, "usage: classify_bench [--files N] [--dir DIR] [--runs R] [--generator PATH]\n");
            return 2;
        }
        const std::string value = argv[++i];
        if (arg == "--files")
            files = std::atol(value.c_str());
        else if (arg == "--dir")
            dir = QByteArray::fromStdString(value);
        else if (arg == "--runs")
            runs = std::max(1, std::atoi(value.c_str()));
        else if (arg == "--generator")
            generator = QByteArray::fromStdString(value);
    }
    // A throw-away home for the journal and the Trash, set before anything reads the environment.
    const QByteArray home = dir + "/classify-home";
    runProcess("/bin/mkdir", {"-p", home});
    qputenv("HOME", home);
    qputenv("XDG_DATA_HOME", home + "/.local/share");
    QCoreApplication app(argc, argv);

    const QByteArray tree = bench::ensureTree(files, dir, generator);
    if (tree.isEmpty())
        return 1;
    const QByteArray work = dir + "/classify-work";
    double bestEngine = 1e9, bestMoves = 1e9, bestMv = 1e9, bestUndo = 1e9;
    qsizetype moved = 0;
    for (int r = 0; r < runs; ++r) {
        // The engine.
        if (!copyTree(tree, work))
            return 1;
        runProcess("/bin/sync", {});
        QElapsedTimer timer;
        timer.start();
        FileLists lists;
        bench::scanHeadless(work, lists);
        const ClassifyPlan plan = planClassification(lists.filesItemArray, work, ClassifyBy::Kind);
        auto journal = std::make_unique<MoveJournal>(MoveJournal::defaultFolder(), QStringLiteral("classify"));
        QElapsedTimer movesTimer;
        movesTimer.start();
        const BatchOutcome outcome = executeClassification(plan, work, ClassifyBy::Kind, journal.get());
        const QString id = QFileInfo(journal->filePath()).completeBaseName();
        journal.reset(); // the batch is over: its journal ends
        bestMoves = std::min(bestMoves, seconds(movesTimer));
        bestEngine = std::min(bestEngine, seconds(timer));

        // The undo of that classification, as the command does it: the history, the plan, the journaled undo.
        timer.restart();
        const QList<BatchRecord> history = batchHistory();
        const auto batch = std::find_if(history.cbegin(), history.cend(), [&](const BatchRecord &b) { return b.id == id; });
        if (batch == history.cend() || !batch->undoable())
            return 1;
        const UndoPlan undoPlan = planUndo(*batch);
        MoveJournal undoJournal(MoveJournal::defaultFolder(), QStringLiteral("undo"), id);
        const BatchOutcome undone = executeUndo(undoPlan, &undoJournal);
        bestUndo = std::min(bestUndo, seconds(timer));
        const auto movedBack = std::count_if(undone.moves.cbegin(), undone.moves.cend(), [](const StepOutcome &o) { return o.moved; });
        if (r == 0)
            std::printf("  undo: %lld moved back, %lld folders remade\n", qlonglong(movedBack), qlonglong(undone.remade.size()));
        moved = std::count_if(outcome.moves.cbegin(), outcome.moves.cend(), [](const StepOutcome &o) { return o.moved; });
        if (r == 0)
            std::printf("  %s\n", qPrintable(classifySummaryText(outcome)));

        // mv, told the same moves (the engine's plan on a fresh copy), one command per destination folder.
        if (!copyTree(tree, work))
            return 1;
        QMap<QByteArray, QList<QByteArray>> byFolder;
        for (const PlanStep &step : plan.moves) {
            if (!step.skipped())
                byFolder[step.target.left(step.target.lastIndexOf('/'))].append(step.source);
        }
        runProcess("/bin/sync", {});
        timer.restart();
        runProcess("/bin/mkdir", QList<QByteArray>{"-p", "--"} + byFolder.keys());
        for (auto it = byFolder.cbegin(); it != byFolder.cend(); ++it)
            runProcess("/bin/mv", QList<QByteArray>{"-n", "-t", it.key(), "--"} + it.value());
        bestMv = std::min(bestMv, seconds(timer));
    }
    runProcess("/bin/rm", {"-rf", "--", work, home});
    std::printf("classify by kind, %ld-file tree, %lld files moved, best of %d runs\n", files, qlonglong(moved), runs);
    std::printf("  engine (scan + plan + journaled moves + clean-up): %.3f s\n", bestEngine);
    std::printf("  engine moves alone:                               %.3f s\n", bestMoves);
    std::printf("  mv of the same files into the same folders:       %.3f s\n", bestMv);
    std::printf("  ratio engine / mv: %.2f (moves alone: %.2f)\n", bestEngine / bestMv, bestMoves / bestMv);
    std::printf("  undo of the classification (history + plan + journaled moves back + folders): %.3f s\n", bestUndo);
    std::printf("  ratio undo / classification: %.2f (undo / moves alone: %.2f)\n", bestUndo / bestEngine,
                bestUndo / bestMoves);
    return 0;
}
