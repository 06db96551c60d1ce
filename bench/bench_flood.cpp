// A flash tool that floods both channels during a transfer: the simulated
// board beside this program writes `megabytes` MB of retry lines to each of
// standard output and standard error before it does its work. Vantrel's real
// main window runs the transfer with the "Output" tab in front ("visible") or
// behind "Options" and clicked to the front once the transfer has returned
// ("hidden"). Printed: the window's longest stall (a 10 ms timer in its event
// loop) from the click on "Go" until a second after all the output is in the
// pane, the
// window's peak resident size above its idle size, and how long after the
// tool's end the transfer returned (the tool's end seen from a thread that
// watches /proc).
//
// Usage: bench_flood visible|hidden [megabytes per channel, default 100]

#include "app/mainwindow.h"
#include "bench/stallwatch.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QStyleFactory>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

constexpr double kStallTargetMs = 100;
constexpr double kRssTargetMb = 100;
constexpr double kReturnTargetMs = 2000;

double statusMb(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith(field))
            return line.mid(int(qstrlen(field))).trimmed().split(' ').value(0).toDouble() / 1024;
    }
    return -1;
}

// Notes when the process `pid` has exited (a zombie not yet reaped by the
// window, or gone).
Clock::time_point waitForExit(const std::atomic<qint64> &pid, const std::atomic<bool> &stop)
{
    while (pid == 0 && !stop)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    const QString path = QStringLiteral("/proc/%1/stat").arg(pid.load());
    while (!stop) {
        QFile stat(path);
        if (!stat.open(QIODevice::ReadOnly))
            break;
        const QByteArray text = stat.readAll();
        const qsizetype close = text.lastIndexOf(')');
        if (close < 0 || text.mid(close + 2, 1) == "Z")
            break;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return Clock::now();
}

const char *verdict(double value, double target)
{
    return value <= target ? "met" : "MISSED";
}

double msBetween(Clock::time_point from, Clock::time_point to)
{
    return std::chrono::duration<double, std::milli>(to - from).count();
}

} // namespace

int main(int argc, char *argv[])
{
    QTemporaryDir folder;
    if (!folder.isValid()) {
        std::fprintf(stderr, "bench_flood: cannot create a temporary folder\n");
        return 1;
    }
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder.filePath(QStringLiteral("config"))));
    qputenv("JCP_SIM_STATE_DIR", QFile::encodeName(folder.filePath(QStringLiteral("board"))));
    qputenv("JCP_SIM_PACE_MS", "0");

    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    QApplication app(argc, argv);
    const QStringList args = QCoreApplication::arguments();
    const bool visible = args.value(1) == QLatin1String("visible");
    const qint64 megabytes = args.value(2, QStringLiteral("100")).toLongLong();
    if ((!visible && args.value(1) != QLatin1String("hidden")) || megabytes <= 0) {
        std::fprintf(stderr, "usage: bench_flood visible|hidden [megabytes per channel]\n");
        return 2;
    }
    const QByteArray bytes = QByteArray::number(megabytes * 1000 * 1000);
    qputenv("JCP_SIM_FLOOD_STDOUT", bytes);
    qputenv("JCP_SIM_FLOOD_STDERR", bytes);

    QFile image(folder.filePath(QStringLiteral("game.rom")));
    constexpr qsizetype imageBytes = 65536;
    if (!image.open(QIODevice::WriteOnly) || image.write(QByteArray(imageBytes, 'x')) != imageBytes)
        return 1;
    image.close();

    MainWindow window;
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    auto *name = window.findChild<QLineEdit *>(QStringLiteral("filenameEdit"));
    auto *go = window.findChild<QPushButton *>(QStringLiteral("doTransfer"));
    auto *pane = window.findChild<QTextBrowser *>(QStringLiteral("outputBrowser"));
    auto *process = window.findChild<QProcess *>();
    if (!tabs || !name || !go || !pane || !process)
        return 1;
    const QPoint outputTab = tabs->tabBar()->tabRect(1).center();
    if (visible)
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, outputTab);
    QTest::keyClicks(name, image.fileName());
    QTest::qWait(500);
    const double idleMb = statusMb("VmRSS:");

    std::atomic<qint64> pid{0};
    std::atomic<bool> stop{false};
    QObject::connect(process, &QProcess::started, process, [&] { pid = process->processId(); });
    Clock::time_point toolEnd;
    std::thread watcher([&] { toolEnd = waitForExit(pid, stop); });

    StallWatch watch;
    watch.start();
    const Clock::time_point clicked = Clock::now();
    QTest::mouseClick(go, Qt::LeftButton);
    const Clock::time_point returned = Clock::now();
    double showMs = 0;
    if (!visible) {
        QElapsedTimer clock;
        clock.start();
        QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, outputTab);
        showMs = elapsedMs(clock);
    }
    // Until what waited for the pane is in, and a second more.
    QElapsedTimer settling;
    settling.start();
    const auto complete = [pane] {
        const QString text = pane->toPlainText();
        return text.count(QLatin1String("last line of the flood")) == 2
            && text.contains(QLatin1String("Transfer complete"));
    };
    while (!complete() && settling.elapsed() < 60000)
        QTest::qWait(50);
    const double settledMs = elapsedMs(settling);
    QTest::qWait(1000);
    const double stallMs = watch.stop();
    stop = true;
    watcher.join();

    const double peakMb = statusMb("VmHWM:") - idleMb;
    const double returnMs = msBetween(toolEnd, returned);
    std::printf("flood of %lld + %lld MB during a transfer, pane %s, platform %s\n", megabytes,
                megabytes, visible ? "visible" : "hidden, then shown",
                qPrintable(QGuiApplication::platformName()));
    std::printf("  tool ran               %7.0f ms\n", msBetween(clicked, toolEnd));
    std::printf("  returned after its end %7.1f ms (target <= %.0f ms: %s)\n", returnMs,
                kReturnTargetMs, verdict(returnMs, kReturnTargetMs));
    if (!visible)
        std::printf("  showing \"Output\"       %7.1f ms\n", showMs);
    std::printf("  pane complete after    %7.0f ms more\n", settledMs);
    std::printf("  longest stall          %7.1f ms (target <= %.0f ms: %s); %d over 100 ms\n",
                stallMs, kStallTargetMs, verdict(stallMs, kStallTargetMs), watch.gapsOver100());
    std::printf("  most CPU in one stall  %7.1f ms (the window's own work)\n", watch.longestBusy());
    std::printf("  peak RSS above idle    %7.1f MB (idle %.1f MB; target <= %.0f MB: %s)\n", peakMb,
                idleMb, kRssTargetMb, verdict(peakMb, kRssTargetMb));
    std::printf("  pane                   %d paragraphs, %lld characters; newest output %s\n",
                pane->document()->blockCount(),
                static_cast<long long>(pane->document()->characterCount()),
                complete() ? "all there" : "MISSING");
    return complete() ? 0 : 1;
}
