// Latency of the tool's output: how long after the tool prints a line the
// line is on screen in Vantrel's output pane. The jcp beside this program
// prints 1000 lines 10 ms apart through C stdio, each carrying the
// CLOCK_MONOTONIC time at which it was printed. Vantrel's real main window,
// with the "Output" tab in front, starts it as a user does, with the Tools
// menu's serial read (Ctrl+S).
//
// A line is on screen once the window has drawn a frame that shows it: the
// first paint of the pane's viewport whose region reaches the line's
// paragraph, wholly in view and complete, taken when that paint and the hand-over
// of the frame to the window system have returned (the end of the window's
// update in which the paint happens). The time the paragraph entered the
// pane's document splits the latency into the relay's part and the
// drawing's part.
//
// Usage: bench_latency [lines, default 1000]

#include "app/mainwindow.h"
#include "board/toolrun.h"

#include <QAbstractTextDocumentLayout>
#include <QApplication>
#include <QEventLoop>
#include <QFileInfo>
#include <QPaintEvent>
#include <QRegularExpression>
#include <QScrollBar>
#include <QStyleFactory>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

constexpr double kMaxTargetMs = 50;
constexpr int kDefaultLines = 1000;

qint64 nowNs()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
}

struct Line
{
    qint64 printed = 0;
    qint64 entered = 0;
    qint64 shown = 0;
    int block = -1;
};

// The application, watching every event the window gets for the paints of
// the pane and the updates they happen in.
class LatencyProbe : public QApplication
{
public:
    using QApplication::QApplication;

    void watch(QTextEdit *watched, int count)
    {
        pane = watched;
        lines.assign(size_t(count) + 1, Line());
        QObject::connect(pane->document(), &QTextDocument::contentsChange, pane,
                         [this] { noteEntered(); });
    }

    const std::vector<Line> &results() const { return lines; }
    int stampedInUpdates() const { return inUpdates; }
    int stampedAtPaint() const { return atPaint; }

    bool notify(QObject *receiver, QEvent *event) override
    {
        // The window's update paints every widget that changed and then
        // hands the frame over; a paint outside one (a synchronous repaint)
        // is done when it returns.
        const bool update
            = event->type() == QEvent::UpdateRequest || event->type() == QEvent::Expose;
        const bool paint = pane && receiver == pane->viewport() && event->type() == QEvent::Paint;
        if (paint)
            notePaint(static_cast<QPaintEvent *>(event)->region());
        updating += update;
        const bool done = QApplication::notify(receiver, event);
        updating -= update;
        if ((update || paint) && updating == 0 && !drawn.empty()) {
            const qint64 now = nowNs();
            for (int index : drawn)
                lines[size_t(index)].shown = now;
            (update ? inUpdates : atPaint) += int(drawn.size());
            drawn.clear();
        }
        return done;
    }

private:
    void noteEntered()
    {
        static const QRegularExpression pattern(
            QStringLiteral("^latency line (\\d+) of \\d+ printed at (\\d+) ns$"));
        const qint64 now = nowNs();
        const QTextDocument *document = pane->document();
        // The last paragraph seen may have been a line still being printed.
        for (QTextBlock block = document->findBlockByNumber(std::max(scanned - 1, 0));
             block.isValid(); block = block.next()) {
            const QRegularExpressionMatch match = pattern.match(block.text());
            const qsizetype index = match.captured(1).toLongLong();
            if (!match.hasMatch() || index < 1 || index >= qsizetype(lines.size()))
                continue;
            Line &line = lines[size_t(index)];
            if (line.entered == 0) {
                line = {match.captured(2).toLongLong(), now, 0, block.blockNumber()};
                pending.push_back(int(index));
            }
        }
        scanned = document->blockCount();
    }

    void notePaint(const QRegion &region)
    {
        const QTextDocument *document = pane->document();
        const QPoint scrolled(pane->horizontalScrollBar()->value(),
                              pane->verticalScrollBar()->value());
        const QRect view = pane->viewport()->rect();
        auto kept = pending.begin();
        for (int index : pending) {
            const QTextBlock block = document->findBlockByNumber(lines[size_t(index)].block);
            const QRectF bounds = document->documentLayout()->blockBoundingRect(block);
            const QRect rect = bounds.toAlignedRect().translated(-scrolled);
            // Qt repaints what changed, which may stop short of a blank row
            // at the paragraph's edge: a paint that reaches the paragraph
            // draws it.
            if (view.contains(rect) && region.intersects(rect))
                drawn.push_back(index);
            else
                *kept++ = index;
        }
        pending.erase(kept, pending.end());
    }

    QTextEdit *pane = nullptr;
    std::vector<Line> lines;
    // Entered the document, not drawn yet.
    std::vector<int> pending;
    // Drawn in the paint under way, to be stamped when its update returns.
    std::vector<int> drawn;
    int scanned = 0;
    int updating = 0;
    int inUpdates = 0;
    int atPaint = 0;
};

double ms(qint64 ns)
{
    return double(ns) / 1e6;
}

struct Spread
{
    double median = 0;
    double p99 = 0;
    double max = 0;
};

Spread spread(std::vector<double> samples)
{
    if (samples.empty())
        return {};
    std::sort(samples.begin(), samples.end());
    const auto at = [&](double share) {
        return samples[std::min(samples.size() - 1, size_t(share * double(samples.size())))];
    };
    return {at(0.5), at(0.99), samples.back()};
}

} // namespace

int main(int argc, char *argv[])
{
    // Settings of the person running the benchmark stay out of it.
    QTemporaryDir config;
    if (!config.isValid()) {
        std::fprintf(stderr, "bench_latency: cannot create a temporary folder\n");
        return 1;
    }
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));

    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    LatencyProbe app(argc, argv);
    const int count = QCoreApplication::arguments().value(1).toInt();
    const int lineCount = count > 0 ? count : kDefaultLines;
    const QString tool = QCoreApplication::applicationDirPath() + QLatin1String("/jcp");
    if (!QFileInfo(tool).isExecutable()) {
        std::fprintf(stderr, "bench_latency: no line-printing jcp at %s\n", qPrintable(tool));
        return 1;
    }
    qputenv("BENCH_LATENCY_LINES", QByteArray::number(lineCount));

    MainWindow window;
    window.show();
    // A shortcut goes to the active window.
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window))
        return 1;
    auto *tabs = window.findChild<QTabWidget *>(QStringLiteral("tabWidget"));
    auto *pane = window.findChild<QTextBrowser *>(QStringLiteral("outputBrowser"));
    auto *run = window.findChild<ToolRun *>();
    if (!tabs || !pane || !run)
        return 1;
    // Watch the output as it comes, the way someone reading the board does.
    QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {}, tabs->tabBar()->tabRect(1).center());
    if (!pane->isVisible()) {
        std::fprintf(stderr, "bench_latency: the output pane is not on screen\n");
        return 1;
    }
    app.watch(pane, lineCount);

    QTest::keyClick(window.windowHandle(), Qt::Key_S, Qt::ControlModifier);
    if (!run->isBusy()) {
        std::fprintf(stderr, "bench_latency: Ctrl+S started no run\n");
        return 1;
    }
    // The last paints follow the end of the run at once; half a second more
    // leaves room for them. No QTest::qWait: it sleeps between its turns.
    QEventLoop loop;
    QObject::connect(run, &ToolRun::finished, &loop,
                     [&loop] { QTimer::singleShot(500, &loop, &QEventLoop::quit); });
    QTimer::singleShot(lineCount * 10 + 60000, &loop, &QEventLoop::quit);
    loop.exec();

    std::vector<double> total, relay, drawing;
    int missing = 0;
    for (size_t index = 1; index < app.results().size(); ++index) {
        const Line &line = app.results()[index];
        if (line.shown == 0) {
            ++missing;
            continue;
        }
        total.push_back(ms(line.shown - line.printed));
        relay.push_back(ms(line.entered - line.printed));
        drawing.push_back(ms(line.shown - line.entered));
    }
    const Spread onScreen = spread(total);
    const Spread toDocument = spread(relay);
    const Spread drawn = spread(drawing);
    const auto over = [&](double limit) {
        return std::count_if(total.begin(), total.end(), [limit](double v) { return v > limit; });
    };
    std::printf("output latency, %d lines printed 10 ms apart, serial read (Ctrl+S), "
                "platform %s\n",
                lineCount, qPrintable(QGuiApplication::platformName()));
    std::printf("  printed to on screen   median %6.2f ms  99th %6.2f ms  max %6.2f ms "
                "(target max <= %.0f ms: %s)\n",
                onScreen.median, onScreen.p99, onScreen.max, kMaxTargetMs,
                missing == 0 && onScreen.max <= kMaxTargetMs ? "met" : "MISSED");
    std::printf("  printed to document    median %6.2f ms  99th %6.2f ms  max %6.2f ms\n",
                toDocument.median, toDocument.p99, toDocument.max);
    std::printf("  document to on screen  median %6.2f ms  99th %6.2f ms  max %6.2f ms\n",
                drawn.median, drawn.p99, drawn.max);
    std::printf("  lines over 16 ms: %lld, over 50 ms: %lld; drawn in an update %d, "
                "in a paint of its own %d; never on screen %d\n",
                static_cast<long long>(over(16)), static_cast<long long>(over(50)),
                app.stampedInUpdates(), app.stampedAtPaint(), missing);
    return missing == 0 ? 0 : 1;
}
