#ifndef VANTREL_BENCH_STALLWATCH_H
#define VANTREL_BENCH_STALLWATCH_H

#include <QElapsedTimer>
#include <QTimer>

#include <algorithm>

inline double elapsedMs(const QElapsedTimer &clock)
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

#endif
