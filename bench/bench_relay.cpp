// The output relay under a flood: the jcp beside this program writes 4 MB of
// spinner progress as fast as it can. A transfer in Vantrel's real main
// window, started by clicking "Go" with the "Output" tab on screen, is timed
// until the busy dialog returns, against a plain QProcess reader that
// discards the same output. A 10 ms timer in the same event loop measures
// the longest stall of the window during each. The two kinds alternate,
// each transfer in a fresh window, and the medians are compared.

#include "app/mainwindow.h"

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
#include <QTextBrowser>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kRuns = 7;
constexpr double kTimeTarget = 2.0;
constexpr double kStallTargetMs = 100.0;
// What the tool writes: 52428 lines of 80 bytes.
constexpr qint64 kToolOutputBytes = qint64(4 * 1024 * 1024 / 80) * 80;

double median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

double elapsedMs(const QElapsedTimer &clock)
{
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

// Ticks every 10 ms and keeps the longest gap between two ticks, the gap
// up to stop() included.
class StallWatch
{
public:
    StallWatch()
    {
        timer.setTimerType(Qt::PreciseTimer);
        timer.setInterval(10);
        QObject::connect(&timer, &QTimer::timeout, &timer, [this] { tick(); });
    }

    void start()
    {
        longestMs = 0;
        clock.start();
        timer.start();
    }

    double stop()
    {
        tick();
        timer.stop();
        return longestMs;
    }

private:
    void tick()
    {
        longestMs = std::max(longestMs, elapsedMs(clock));
        clock.restart();
    }

    QTimer timer;
    QElapsedTimer clock;
    double longestMs = 0;
};

struct Run
{
    double totalMs = 0;
    double stallMs = 0;
};

bool transferInWindow(Run &run, int &paragraphs)
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
    QTest::mouseClick(go, Qt::LeftButton);
    run.totalMs = elapsedMs(clock);
    run.stallMs = watch.stop();

    paragraphs = pane->document()->blockCount();
    return pane->toPlainText().contains(QLatin1String("Sending block 52428 of 52428 "));
}

bool plainRead(const QString &tool, Run &run)
{
    QProcess process;
    qint64 bytes = 0;
    QObject::connect(&process, &QProcess::readyReadStandardOutput, &process,
                     [&] { bytes += process.readAllStandardOutput().size(); });
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

    std::vector<double> windowMs, windowStallMs, plainMs, plainStallMs;
    int paragraphs = 0;
    // Round 0 warms up and is not counted; the order alternates.
    for (int round = 0; round <= kRuns; ++round) {
        for (int turn = 0; turn < 2; ++turn) {
            Run run;
            if ((round + turn) % 2 == 0) {
                if (!transferInWindow(run, paragraphs)) {
                    std::fprintf(stderr,
                                 "bench_relay: the transfer's output did not all reach the pane\n");
                    return 1;
                }
                if (round > 0) {
                    windowMs.push_back(run.totalMs);
                    windowStallMs.push_back(run.stallMs);
                }
            } else {
                if (!plainRead(tool, run)) {
                    std::fprintf(stderr,
                                 "bench_relay: the plain reader did not get all the output\n");
                    return 1;
                }
                if (round > 0) {
                    plainMs.push_back(run.totalMs);
                    plainStallMs.push_back(run.stallMs);
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
    std::printf("  time ratio             %.2f (target <= %.0f: %s)\n", ratio, kTimeTarget,
                verdict(ratio, kTimeTarget));
    std::printf("  longest stall          %.1f ms (target <= %.0f ms: %s)\n", stall, kStallTargetMs,
                verdict(stall, kStallTargetMs));
    return 0;
}
