// Stands in for the flash tool in bench_latency: ignores its arguments and
// prints lines to standard output 10 ms apart, each carrying the
// CLOCK_MONOTONIC time at which it was printed. It prints through C stdio
// with the default buffering and never flushes, as the real tool does: on a
// terminal the C library writes each line out as it ends, into a pipe only
// when its buffer is full or the program exits.
//
// BENCH_LATENCY_LINES sets how many lines (default 1000).

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace {

constexpr long kPeriodNs = 10L * 1000 * 1000;

long long nowNs()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec;
}

} // namespace

int main()
{
    const char *setting = std::getenv("BENCH_LATENCY_LINES");
    const int lines = setting ? std::atoi(setting) : 1000;
    // Absolute deadlines, so that a late wake-up does not shift every line
    // after it.
    timespec next;
    clock_gettime(CLOCK_MONOTONIC, &next);
    for (int line = 1; line <= lines; ++line) {
        next.tv_nsec += kPeriodNs;
        if (next.tv_nsec >= 1000000000L) {
            next.tv_nsec -= 1000000000L;
            ++next.tv_sec;
        }
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr) == EINTR) { }
        std::printf("latency line %d of %d printed at %lld ns\n", line, lines, nowNs());
    }
    return 0;
}
