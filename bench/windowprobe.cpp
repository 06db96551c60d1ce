// One window started the way vantrel's main() starts it, for bench_startup.
// Built three times from this file: bench_mainwindow shows Vantrel's main
// window, bench_barewindow a bare QMainWindow of the same size, and
// bench_textwindow that bare window with one line of text in it, which
// brings in what any window showing text needs. Each prints the
// monotonic clock when its window has been exposed and painted for the first
// time, stays idle for a second, prints its peak resident set size and quits.

#ifdef VANTREL_BENCH_MAINWINDOW
#include "app/mainwindow.h"
#endif

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QMainWindow>
#include <QStyleFactory>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <ctime>

namespace {

constexpr int kIdleMs = 1000;

long long monotonicNs()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

// VmHWM belongs to this program's own address space, unlike ru_maxrss, which
// can carry over the launcher's size from before exec.
long long peakRssKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (QByteArray line = status.readLine(); !line.isEmpty(); line = status.readLine()) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    }
    return -1;
}

// Notes the end of the first expose, after the window handled it, which
// includes painting the window's first frame.
class ProbeApplication : public QApplication
{
public:
    using QApplication::QApplication;

    bool notify(QObject *receiver, QEvent *event) override
    {
        const bool firstExpose
            = exposedAt == 0 && event->type() == QEvent::Expose && receiver->isWindowType();
        const bool result = QApplication::notify(receiver, event);
        if (firstExpose && static_cast<QWindow *>(receiver)->isExposed()) {
            exposedAt = monotonicNs();
            QTimer::singleShot(kIdleMs, this, [] { QCoreApplication::exit(0); });
        }
        return result;
    }

    long long exposedAt = 0;
};

} // namespace

int main(int argc, char *argv[])
{
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    ProbeApplication app(argc, argv);
#ifdef VANTREL_BENCH_MAINWINDOW
    MainWindow window;
#else
    QMainWindow window;
    window.resize(678, 264);
#ifdef VANTREL_BENCH_TEXTWINDOW
    window.setCentralWidget(new QLabel(QStringLiteral("Sending file to Skunkboard")));
#endif
#endif
    window.show();
    const int status = app.exec();
    std::printf("exposed %lld\nsize %dx%d\npeak-rss-kb %lld\n", app.exposedAt, window.width(),
                window.height(), peakRssKb());
    return status;
}
