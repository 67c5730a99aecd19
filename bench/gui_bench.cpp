// GUI scan benchmark: a real main window scanning a synthetic tree.
//
//   xvfb-run -a gui_bench [--files 100000] [--dir DIR] [--generator PATH]
//
// Prints the time from the drop to the first painted items, the longest stall of the event loop
// during the scan (a 5 ms timer probe), and the window's total scan time against the headless engine's
// on the same tree; the longest stall when the first sound file and the first video are selected. Then the time from a keystroke in the filter field to the repainted grid, for a
// few texts typed one key at a time.
#include "BenchTrees.h"
#include "app/AppDelegate.h"
#include "platform/DesktopServices.h"
#include "app/MainWindow.h"
#include "model/FolderScanner.h"
#include "platform/NativePath.h"
#include "platform/NotificationCenter.h"
#include "platform/Settings.h"
#include "views/ui/NSDragImageBrowserView.h"
#include "views/ui/ShownListModel.h"

#include <QApplication>
#include <QLineEdit>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QStyleFactory>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <limits>
#include <sys/resource.h>
#include <ctime>
#include <string>

using namespace vellumry;

namespace {

// Notes the first paint of the grid that shows at least one item.
class FirstPaintProbe : public QObject
{
public:
    FirstPaintProbe(const ShownListModel *model, QElapsedTimer *clock) : m_model(model), m_clock(clock) {}
    qint64 firstPaintNs = -1;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && firstPaintNs < 0 && m_model->rowCount() > 0)
            firstPaintNs = m_clock->nsecsElapsed();
        return QObject::eventFilter(watched, event);
    }

private:
    const ShownListModel *m_model;
    QElapsedTimer *m_clock;
};

double headlessSeconds(const QByteArray &tree)
{
    FileLists lists;
    return bench::scanHeadless(tree, lists);
}

} // namespace

int main(int argc, char *argv[])
{
    long files = 100000;
    QByteArray dir = "/tmp/vellumry-bench";
    QByteArray generator = VELLUMRY_TREE_GENERATOR;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string arg = argv[i];
        if (arg == "--files")
            files = std::atol(argv[i + 1]);
        else if (arg == "--dir")
            dir = argv[i + 1];
        else if (arg == "--generator")
            generator = argv[i + 1];
    }
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home.path()));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(home.path())); // thumbnails made here are thrown away
    QApplication app(argc, argv);
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const QByteArray tree = bench::ensureTree(files, dir, generator);
    if (tree.isEmpty())
        return 1;

    headlessSeconds(tree); // warm the cache
    const double headless = headlessSeconds(tree);

    Settings settings(QFile::decodeName(QFile::encodeName(home.path()) + "/Vellumry.conf"));
    settings.setValue(QStringLiteral("FirstStartData"), QStringLiteral("YES"));
    settings.setValue(QStringLiteral("ExampleAlertSuppress"), true);
    NotificationCenter nc;
    AppDelegate::Services services;
    services.settings = &settings;
    services.nc = &nc;
    struct LightLook : DesktopServices // the light look whatever the desktop prefers: figures stay comparable
    {
        QString interfaceStyle() override { return {}; }
    } desktop;
    services.desktop = &desktop;
    AppDelegate controller(services);
    controller.awakeFromNib();
    controller.applicationDidFinishLaunching();
    controller.window->resize(1280, 800);
    controller.window->show();
    QElapsedTimer settle;
    settle.start();
    while (settle.elapsed() < 500)
        QApplication::processEvents(QEventLoop::AllEvents, 50);

    QElapsedTimer clock;
    FirstPaintProbe probe(controller.FileListController, &clock);
    controller.window->fodlerfileBroswerView->viewport()->installEventFilter(&probe);
    qint64 longestGapNs = 0, lastTickNs = 0, longestGapAtNs = 0;
    qsizetype rowsAtLongestGap = 0;
    QTimer tick;
    tick.setInterval(5);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        if (now - lastTickNs > longestGapNs) {
            longestGapNs = now - lastTickNs;
            longestGapAtNs = now;
            rowsAtLongestGap = controller.FileListController->rowCount();
        }
        lastTickNs = now;
    });
    QEventLoop loop;
    QObject::connect(&controller, &AppDelegate::scanFinished, &loop, &QEventLoop::quit);
    struct rusage before, after;
    ::getrusage(RUSAGE_THREAD, &before);
    clock.start();
    tick.start();
    controller.openFoldersAsDrop({fromNativePath(tree)});
    loop.exec();
    const double total = double(clock.nsecsElapsed()) / 1e9;
    tick.stop();
    ::getrusage(RUSAGE_THREAD, &after);
    const auto cpu = [](const struct rusage &r) {
        return double(r.ru_utime.tv_sec + r.ru_stime.tv_sec) + double(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
    };
    const double guiCpu = cpu(after) - cpu(before);

    const qint64 scanGapNs = longestGapNs, scanGapAtNs = longestGapAtNs;
    const qsizetype scanGapRows = rowsAtLongestGap;
    auto *grid = controller.window->fodlerfileBroswerView;

    // The first sound and the first video selected since launch: the longest stall of the event loop in
    // the second after each selection (the preview pane's work included).
    const auto selectFirst = [&](const QString &kind) {
        for (int row = 0; row < controller.FileListController->rowCount(); ++row) {
            const IKImageItemRef item = controller.FileListController->itemAt(row);
            if (!item || item->fileType() != kind)
                continue;
            longestGapNs = 0;
            lastTickNs = clock.nsecsElapsed();
            tick.start();
            grid->setCurrentIndex(controller.FileListController->index(row, 0));
            QElapsedTimer wait;
            wait.start();
            while (wait.elapsed() < 1000)
                QApplication::processEvents(QEventLoop::AllEvents, 20);
            tick.stop();
            return double(std::max<qint64>(0, longestGapNs - 5000000)) / 1e6;
        }
        return -1.0;
    };
    const double soundStallMs = selectFirst(QStringLiteral("Audio"));
    const double videoStallMs = selectFirst(QStringLiteral("Video"));

    // Scroll through the whole grid once, page by page, and note the slowest page.
    qint64 slowestPageNs = 0;
    const int pages = 200;
    QElapsedTimer pageClock;
    for (int p = 0; p <= pages; ++p) {
        pageClock.start();
        grid->scrollTo(controller.FileListController->index(int(qint64(controller.FileListController->rowCount() - 1) * p / pages), 0));
        grid->viewport()->repaint();
        QApplication::processEvents();
        slowestPageNs = std::max(slowestPageNs, pageClock.nsecsElapsed());
    }

    // Keystroke to painted grid: each key narrows (or widens) the whole list again. Once matched on the
    // GUI thread, once as the window does (in the background above its threshold).
    const auto typeKeys = [&](qsizetype threshold, qint64 &slowestKeyNs, qint64 &totalKeyNs, int &keys) {
        controller.FileListController->setBackgroundThreshold(threshold);
        for (const QString &text : {QStringLiteral("f"), QStringLiteral("fi"), QStringLiteral("fil"), QStringLiteral("file1"),
                                    QStringLiteral("file12"), QStringLiteral("fil"), QStringLiteral("*.jpg"), QString()}) {
            pageClock.start();
            timespec cpuBefore{}, cpuAfter{};
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpuBefore);
            controller.window->filterField->setText(text);
            while (controller.FileListController->isFiltering()) // matched in the background
                QApplication::processEvents(QEventLoop::WaitForMoreEvents);
            grid->viewport()->repaint();
            QApplication::processEvents();
            const qint64 ns = pageClock.nsecsElapsed();
            clock_gettime(CLOCK_THREAD_CPUTIME_ID, &cpuAfter);
            if (threshold != std::numeric_limits<qsizetype>::max())
                std::printf("  \"%s\": %.1f ms, %.1f ms of it on the GUI thread, %d rows\n", qPrintable(text), double(ns) / 1e6,
                            double((cpuAfter.tv_sec - cpuBefore.tv_sec) * 1000000000LL + cpuAfter.tv_nsec - cpuBefore.tv_nsec) / 1e6,
                            controller.FileListController->rowCount());
            slowestKeyNs = std::max(slowestKeyNs, ns);
            totalKeyNs += ns;
            ++keys;
        }
    };
    const qsizetype threshold = controller.FileListController->backgroundThreshold();
    qint64 slowestSyncNs = 0, totalSyncNs = 0, slowestKeyNs = 0, totalKeyNs = 0;
    int syncKeys = 0, keys = 0;
    typeKeys(std::numeric_limits<qsizetype>::max(), slowestSyncNs, totalSyncNs, syncKeys);
    typeKeys(threshold, slowestKeyNs, totalKeyNs, keys);

    std::printf("files in tree:              %ld (%lld items shown)\n", files,
                static_cast<long long>(controller.FileListController->rowCount()));
    std::printf("first painted items:        %.1f ms\n", double(probe.firstPaintNs) / 1e6);
    std::printf("longest event-loop stall:   %.1f ms (ending %.0f ms after the drop, %lld items shown)\n",
                double(std::max<qint64>(0, scanGapNs - 5000000)) / 1e6, double(scanGapAtNs) / 1e6,
                static_cast<long long>(scanGapRows));
    std::printf("first sound selected:       longest stall %.1f ms\n", soundStallMs);
    std::printf("first video selected:       longest stall %.1f ms\n", videoStallMs);
    std::printf("window scan total:          %.3f s\n", total);
    std::printf("headless engine total:      %.3f s\n", headless);
    std::printf("window / headless:          %.2f\n", total / headless);
    std::printf("GUI thread busy during scan: %.3f s\n", guiCpu);
    std::printf("slowest page while scrolling the grid: %.1f ms\n", double(slowestPageNs) / 1e6);
    std::printf("keystroke to repainted grid, matched on the GUI thread: %.1f ms on average, %.1f ms at most\n",
                double(totalSyncNs) / syncKeys / 1e6, double(slowestSyncNs) / 1e6);
    std::printf("keystroke to repainted grid: %.1f ms on average, %.1f ms at most\n",
                double(totalKeyNs) / keys / 1e6, double(slowestKeyNs) / 1e6);
    return 0;
}
