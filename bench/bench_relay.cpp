// The output relay under a flood: the jcp beside this program writes 4 MB of
// spinner progress as fast as it can. A transfer in Vantrel's real main
// window, started by clicking "Go" with the "Output" tab on screen, is timed
// until the busy dialog has returned and the last line is in the pane,
// against a plain QProcess reader that discards the same output. A 10 ms
// timer in the same event loop measures the longest stall of the window
// during each. The two kinds alternate, each transfer in a fresh window, and
// the medians are compared, with the time it takes to lay out the cleaned
// output in one go as a second reference.

#include "app/mainwindow.h"
#include "bench/stallwatch.h"
#include "board/outputfeed.h"
#include "board/outputlines.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStyleFactory>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRuns = 7;
constexpr double kTimeTarget = 2.0;
constexpr double kFloorTarget = 1.0;
constexpr double kStallTargetMs = 100.0;
// What the tool writes: 52428 lines of 80 bytes.
constexpr qint64 kToolOutputBytes = qint64(4 * 1024 * 1024 / 80) * 80;

double median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

struct Run
{
    double totalMs = 0;
    double stallMs = 0;
    // The window's thread's CPU time within totalMs.
    double cpuMs = 0;
};

// The tool's output as the pane shows it: a paragraph per line.
QStringList toolLines(const QByteArray &output)
{
    return OutputLines(OutputFeed::Limits().perTurn).take(output).lines;
}

// The least any pane showing the tool's output pays: its paragraphs inserted
// in one edit into a document of the pane's font and width, and all of them
// laid out.
double layoutFloorMs(const QStringList &paragraphs, const QFont &font, int width)
{
    QElapsedTimer clock;
    clock.start();
    QTextDocument document;
    document.setDefaultFont(font);
    document.setTextWidth(width);
    QTextCursor cursor(&document);
    cursor.beginEditBlock();
    for (qsizetype i = 0; i < paragraphs.size(); ++i) {
        if (i > 0)
            cursor.insertBlock();
        cursor.insertText(paragraphs.at(i));
    }
    cursor.endEditBlock();
    (void)document.size(); // lays out every paragraph
    return elapsedMs(clock);
}

bool transferInWindow(Run &run, int &paragraphs, QFont &font, int &width)
{
    MainWindow window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return false;

    auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    auto *name = window.findChild<QLineEdit *>(QStringLiteral("filenameEdit"));
    auto *go = window.findChild<QPushButton *>(QStringLiteral("doTransfer"));
    auto *pane = window.findChild<QTextBrowser *>(QStringLiteral("outputBrowser"));
    if (!tabs || !name || !go || !pane)
        return false;
    // Watch the output as it comes, the way someone following a transfer does.
    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(1).center());
    QTest::keyClicks(name, QStringLiteral("game.rom"));

    StallWatch watch;
    QElapsedTimer clock;
    watch.start();
    clock.start();
    const double cpuAtStart = threadCpuMs();
    QTest::mouseClick(go, Qt::LeftButton);
    // Output still on its way into the pane counts as well.
    const QString last = QStringLiteral("Sending block 52428 of 52428 ");
    while (!pane->document()->lastBlock().text().contains(last) && clock.elapsed() < 60000)
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 5);
    run.totalMs = elapsedMs(clock);
    run.cpuMs = threadCpuMs() - cpuAtStart;
    run.stallMs = watch.stop();

    paragraphs = pane->document()->blockCount();
    font = pane->document()->defaultFont();
    width = pane->viewport()->width();
    return pane->toPlainText().contains(last);
}

bool plainRead(const QString &tool, Run &run, QByteArrayList &chunks)
{
    QProcess process;
    qint64 bytes = 0;
    chunks.clear();
    QObject::connect(&process, &QProcess::readyReadStandardOutput, &process, [&] {
        const QByteArray chunk = process.readAllStandardOutput();
        bytes += chunk.size();
        chunks << chunk;
    });
    QObject::connect(&process, &QProcess::readyReadStandardError, &process,
                     [&] { bytes += process.readAllStandardError().size(); });
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);

    StallWatch watch;
    QElapsedTimer clock;
    watch.start();
    clock.start();
    process.start(tool, {});
    loop.exec();
    run.totalMs = elapsedMs(clock);
    run.stallMs = watch.stop();
    return bytes == kToolOutputBytes;
}

const char *verdict(double value, double target)
{
    return value <= target ? "met" : "MISSED";
}

} // namespace

int main(int argc, char *argv[])
{
    // Settings of the person running the benchmark stay out of it.
    QTemporaryDir config;
    if (!config.isValid()) {
        std::fprintf(stderr, "bench_relay: cannot create a temporary folder\n");
        return 1;
    }
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));

    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication app(argc, argv);
    const QString tool = QCoreApplication::applicationDirPath() + QLatin1String("/jcp");
    if (!QFileInfo(tool).isExecutable()) {
        std::fprintf(stderr, "bench_relay: no progress-writing jcp at %s\n", qPrintable(tool));
        return 1;
    }

    std::vector<double> windowMs, windowStallMs, floorMs, plainMs, plainStallMs;
    int paragraphs = 0;
    int width = 0;
    QFont font;
    QByteArrayList chunks;
    // "bench_relay window" runs only the transfers in the window, for a
    // profiler.
    if (QCoreApplication::arguments().value(1) == QLatin1String("window")) {
        for (int round = 0; round <= kRuns; ++round) {
            Run run;
            if (!transferInWindow(run, paragraphs, font, width))
                return 1;
            std::printf("transfer in window %7.1f ms (CPU %7.1f ms), longest stall %5.1f ms\n",
                        run.totalMs, run.cpuMs, run.stallMs);
        }
        return 0;
    }
    // Round 0 warms up and is not counted; the order alternates.
    for (int round = 0; round <= kRuns; ++round) {
        for (int turn = 0; turn < 2; ++turn) {
            Run run;
            if ((round + turn) % 2 == 0) {
                if (!transferInWindow(run, paragraphs, font, width)) {
                    std::fprintf(stderr,
                                 "bench_relay: the transfer's output did not all reach the pane\n");
                    return 1;
                }
                if (round > 0) {
                    windowMs.push_back(run.totalMs);
                    windowStallMs.push_back(run.stallMs);
                }
            } else {
                if (!plainRead(tool, run, chunks)) {
                    std::fprintf(stderr,
                                 "bench_relay: the plain reader did not get all the output\n");
                    return 1;
                }
                if (round > 0) {
                    plainMs.push_back(run.totalMs);
                    plainStallMs.push_back(run.stallMs);
                    if (width > 0)
                        floorMs.push_back(layoutFloorMs(toolLines(chunks.join()), font, width));
                }
            }
        }
    }

    const double ratio = median(windowMs) / median(plainMs);
    const double stall = median(windowStallMs);
    std::printf("output relay, 4 MB of spinner progress, median of %d runs, platform %s\n", kRuns,
                qPrintable(QGuiApplication::platformName()));
    std::printf("  plain QProcess reader  %7.1f ms   longest stall %5.1f ms\n", median(plainMs),
                median(plainStallMs));
    std::printf("  transfer in window     %7.1f ms   longest stall %5.1f ms (worst run %.1f ms); "
                "pane of %d paragraphs\n",
                median(windowMs), stall,
                *std::max_element(windowStallMs.begin(), windowStallMs.end()), paragraphs);
    std::printf("  layout floor           %7.1f ms   (the cleaned output laid out in one go)\n",
                median(floorMs));
    std::printf("  time ratio             %.2f (target <= %.0f: %s)\n", ratio, kTimeTarget,
                verdict(ratio, kTimeTarget));
    const double toFloor = median(windowMs) / median(floorMs);
    std::printf("  ratio to layout floor  %.2f (target <= %.1f: %s)\n", toFloor, kFloorTarget,
                verdict(toFloor, kFloorTarget));
    std::printf("  longest stall          %.1f ms (target <= %.0f ms: %s)\n", stall, kStallTargetMs,
                verdict(stall, kStallTargetMs));
    return 0;
}
