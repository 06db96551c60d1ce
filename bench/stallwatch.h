#ifndef VANTREL_BENCH_STALLWATCH_H
#define VANTREL_BENCH_STALLWATCH_H

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>
#include <ctime>

inline double elapsedMs(const QElapsedTimer &clock)
{
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

inline double threadCpuMs()
{
    timespec now;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Ticks every 10 ms and keeps the longest gap between two ticks, the gap
// up to stop() included. On a busy machine a gap can also be time the
// window waited for a core; the CPU time the event loop's thread used within
// a gap tells its own work apart.
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
        longestMs = longestBusyMs = 0;
        over100 = 0;
        clock.start();
        cpuAtTick = threadCpuMs();
        timer.start();
    }

    double stop()
    {
        tick();
        timer.stop();
        return longestMs;
    }

    // The most CPU time the thread used within one gap.
    double longestBusy() const { return longestBusyMs; }
    // How many gaps lasted more than 100 ms.
    int gapsOver100() const { return over100; }

private:
    void tick()
    {
        const double gap = elapsedMs(clock);
        const double cpu = threadCpuMs();
        longestMs = std::max(longestMs, gap);
        longestBusyMs = std::max(longestBusyMs, cpu - cpuAtTick);
        over100 += gap > 100;
        clock.restart();
        cpuAtTick = cpu;
    }

    QTimer timer;
    QElapsedTimer clock;
    double cpuAtTick = 0;
    double longestMs = 0;
    double longestBusyMs = 0;
    int over100 = 0;
};

#endif
