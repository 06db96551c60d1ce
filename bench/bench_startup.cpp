// Start-up time and idle memory of Vantrel's main window against a bare
// QMainWindow of the same size. Both are separate programs beside this one
// (bench_mainwindow, bench_barewindow), started the same way and in turn, so
// each round measures both under the same load. Start-up runs from just
// before the process is started to the end of its window's first expose;
// memory is the peak resident set size after a second of idling. A third
// program, the bare window showing one line of text (bench_textwindow), is
// measured alongside for reference: it tells how much of the difference any
// window that shows text pays.

#include <QCoreApplication>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <vector>

namespace {

constexpr int kRuns = 11;
constexpr double kStartupTarget = 1.3;
constexpr double kMemoryTarget = 1.2;

long long monotonicNs()
{
    timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000000000LL + now.tv_nsec;
}

double median(std::vector<double> samples)
{
    std::sort(samples.begin(), samples.end());
    return samples[samples.size() / 2];
}

struct Sample
{
    double startupMs = 0;
    double peakRssKb = 0;
    QString size;
};

struct Program
{
    QString name;
    std::vector<double> startupMs;
    std::vector<double> peakRssKb;
    QString size;
};

bool measure(const QString &path, const QProcessEnvironment &environment, Sample &sample)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const long long startedAt = monotonicNs();
    process.start(path, {});
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit
        || process.exitCode() != 0) {
        std::fprintf(stderr, "bench_startup: %s did not run: %s\n", qPrintable(path),
                     qPrintable(process.errorString()));
        return false;
    }
    long long exposedAt = 0;
    const QStringList lines = QString::fromLatin1(process.readAllStandardOutput()).split(u'\n');
    for (const QString &line : lines) {
        const QStringList fields = line.split(u' ');
        if (fields.size() != 2)
            continue;
        if (fields[0] == QLatin1String("exposed"))
            exposedAt = fields[1].toLongLong();
        else if (fields[0] == QLatin1String("peak-rss-kb"))
            sample.peakRssKb = fields[1].toDouble();
        else if (fields[0] == QLatin1String("size"))
            sample.size = fields[1];
    }
    if (exposedAt <= startedAt || sample.peakRssKb <= 0) {
        std::fprintf(stderr, "bench_startup: %s reported no exposed window\n", qPrintable(path));
        return false;
    }
    sample.startupMs = static_cast<double>(exposedAt - startedAt) / 1e6;
    return true;
}

const char *verdict(double ratio, double target)
{
    return ratio <= target ? "met" : "MISSED";
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);

    // Settings of the person running the benchmark stay out of it.
    QTemporaryDir config;
    if (!config.isValid()) {
        std::fprintf(stderr, "bench_startup: cannot create a temporary folder\n");
        return 1;
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config.path());

    const QString folder = QCoreApplication::applicationDirPath();
    Program programs[3] = {{QStringLiteral("bench_mainwindow"), {}, {}, {}},
                           {QStringLiteral("bench_barewindow"), {}, {}, {}},
                           {QStringLiteral("bench_textwindow"), {}, {}, {}}};

    // Round 0 warms the disk cache and the font cache and is not counted;
    // the order rotates so no program always runs first.
    for (int round = 0; round <= kRuns; ++round) {
        for (int turn = 0; turn < 3; ++turn) {
            Program &program = programs[(round + turn) % 3];
            Sample sample;
            if (!measure(folder + u'/' + program.name, environment, sample))
                return 1;
            if (round == 0)
                continue;
            program.startupMs.push_back(sample.startupMs);
            program.peakRssKb.push_back(sample.peakRssKb);
            program.size = sample.size;
        }
    }

    const QString platform
        = environment.value(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("(default)"));
    std::printf("start-up and idle memory, median of %d runs, platform %s\n", kRuns,
                qPrintable(platform));
    for (const Program &program : programs) {
        std::printf("  %-17s window %-8s start-up %7.1f ms   peak RSS %7.1f MB\n",
                    qPrintable(program.name), qPrintable(program.size), median(program.startupMs),
                    median(program.peakRssKb) / 1024);
    }
    const Program &vantrel = programs[0];
    const Program &bare = programs[1];
    const Program &text = programs[2];
    const double startupRatio = median(vantrel.startupMs) / median(bare.startupMs);
    const double memoryRatio = median(vantrel.peakRssKb) / median(bare.peakRssKb);
    std::printf("  start-up ratio     %.3f (target <= %.1f: %s)\n", startupRatio, kStartupTarget,
                verdict(startupRatio, kStartupTarget));
    std::printf("  idle memory ratio  %.3f (target <= %.1f: %s)\n", memoryRatio, kMemoryTarget,
                verdict(memoryRatio, kMemoryTarget));
    std::printf("  for reference, against the window with one line of text: start-up %.2f, "
                "idle memory %.2f\n",
                median(vantrel.startupMs) / median(text.startupMs),
                median(vantrel.peakRssKb) / median(text.peakRssKb));
    return 0;
}
