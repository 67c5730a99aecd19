// Preview benchmark: the batch preview sheet over a synthetic plan of many steps.
//
//   xvfb-run -a preview_bench [--steps 100000]
//
// Prints the time to work out the preview on the disk (previewPlan: one lstat a step, on the background
// pool in the program), to hand it to the sheet's model, to the first rows painted, the slowest page
// while scrolling through the rows, and the time "Show only problems" takes each way.
#include "reorganise/BatchExecutor.h"
#include "reorganise/ui/PlanPreviewModel.h"
#include "reorganise/ui/PlanPreviewSheet.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QScrollBar>
#include <QStyleFactory>
#include <QTableView>
#include <QTemporaryDir>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <cstring>

using namespace vellumry;

int main(int argc, char *argv[])
{
    int steps = 100000;
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], "--steps") == 0)
            steps = std::atoi(argv[i + 1]);
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QTemporaryDir dir;
    const QByteArray main = QFile::encodeName(dir.path()) + "/Main";

    // A classification's shape: files from a thousand folders into one; one step in a hundred skipped.
    Plan plan;
    plan.reserve(steps);
    for (int i = 0; i < steps; ++i) {
        const QByteArray name = "IMG_" + QByteArray::number(i) + ".jpg";
        PlanStep step{main + "/trip " + QByteArray::number(i / 100) + "/" + name, main + "/Image/" + name, {}, i};
        if (i % 100 == 0)
            step.skipReason = QStringLiteral("reached through a link");
        plan.append(step);
    }

    QElapsedTimer clock;
    clock.start();
    QList<StepPreview> previews = previewPlan(plan);
    const double previewMs = double(clock.nsecsElapsed()) / 1e6;

    PlanPreviewSheet sheet;
    sheet.resize(900, 600);
    clock.restart();
    sheet.setPreview(QStringLiteral("Classify"), QStringLiteral("move"), std::move(previews), {}, main);
    const double modelMs = double(clock.nsecsElapsed()) / 1e6;
    sheet.show();
    while (!sheet.windowHandle() || !sheet.windowHandle()->isExposed()) // mapped, so paints are real
        QApplication::processEvents(QEventLoop::AllEvents, 5);
    sheet.table->viewport()->repaint();
    const double firstRowsMs = double(clock.nsecsElapsed()) / 1e6;

    // Page by page through the first ten thousand rows, then jumps across the whole list.
    QScrollBar *bar = sheet.table->verticalScrollBar();
    qint64 slowestNs = 0;
    const int page = std::max(1, bar->pageStep());
    for (int k = 0; k < 400; ++k) {
        const int value = k < 300 ? k * page : (k - 300) * (bar->maximum() / 100);
        clock.restart();
        bar->setValue(value);
        sheet.table->viewport()->repaint();
        slowestNs = std::max(slowestNs, clock.nsecsElapsed());
    }
    clock.restart();
    sheet.problemsOnlyBox->setChecked(true);
    sheet.table->viewport()->repaint();
    const double narrowMs = double(clock.nsecsElapsed()) / 1e6;
    const int problems = sheet.filter->rowCount();
    clock.restart();
    sheet.problemsOnlyBox->setChecked(false);
    sheet.table->viewport()->repaint();
    const double widenMs = double(clock.nsecsElapsed()) / 1e6;

    std::printf("steps:                          %d (%d skipped)\n", steps, problems);
    std::printf("previewPlan (lstat each target): %.1f ms\n", previewMs);
    std::printf("model filled:                   %.1f ms\n", modelMs);
    std::printf("first rows painted:             %.1f ms after the preview was handed over\n", firstRowsMs);
    std::printf("first rows from the plan:       %.1f ms\n", previewMs + firstRowsMs);
    std::printf("slowest page while scrolling:   %.1f ms\n", double(slowestNs) / 1e6);
    std::printf("show only problems: %.1f ms, all rows again: %.1f ms\n", narrowMs, widenMs);
    std::printf("summary: %s\n", qPrintable(sheet.countsLabel->text()));
    return 0;
}
