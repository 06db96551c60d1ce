#include "simboard/testcontrols.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QStringList>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <limits>
#include <optional>
#include <thread>

namespace {

constexpr qint64 KiB = 1024;

// An environment setting as a number; `fallback` when unset or empty, nothing
// when it is not a plain decimal number within [min, max].
std::optional<qint64> numberSetting(const char *name, qint64 fallback, qint64 min, qint64 max)
{
    const QString text = qEnvironmentVariable(name);
    if (text.isEmpty())
        return fallback;
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    const QString digits = text.startsWith('-') ? text.mid(1) : text;
    const bool decimal = !digits.isEmpty()
        && std::all_of(digits.begin(), digits.end(), [](QChar c) { return c.isDigit(); });
    if (!ok || !decimal || value < min || value > max)
        return std::nullopt;
    return value;
}

// JCP_SIM_STATE_DIR, else under XDG_STATE_HOME, else under ~/.local/state;
// empty when none of them is set.
QString stateFolder()
{
    if (QString dir = qEnvironmentVariable("JCP_SIM_STATE_DIR"); !dir.isEmpty())
        return dir;
    // XDG allows only absolute paths here; anything else is ignored.
    if (const QString state = qEnvironmentVariable("XDG_STATE_HOME"); state.startsWith('/'))
        return state + "/vantrel-jcp-sim";
    if (const QString home = qEnvironmentVariable("HOME"); !home.isEmpty())
        return home + "/.local/state/vantrel-jcp-sim";
    return {};
}

void put(std::FILE *stream, const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
}

} // namespace

TestControls::TestControls()
    : folder(stateFolder())
{
    // The first unusable setting is the one reported.
    const auto number
        = [this](const char *name, qint64 fallback, qint64 min, qint64 max, const char *meaning) {
              const std::optional<qint64> value = numberSetting(name, fallback, min, max);
              if (!value && wrong.isEmpty())
                  wrong = QStringLiteral("%1 '%2' is not %3")
                              .arg(QLatin1String(name), qEnvironmentVariable(name),
                                   QLatin1String(meaning));
              return value.value_or(fallback);
          };
    pace = number("JCP_SIM_PACE_MS", pace, 0, std::numeric_limits<uint>::max(),
                  "a number of milliseconds");
    present = number("JCP_SIM_NO_BOARD", 0, 0, 1, "0 or 1") == 0;
    retry = number("JCP_SIM_RETRY_MS", retry, 0, 60000, "a number of milliseconds");
    floodBytes[0] = number("JCP_SIM_FLOOD_STDOUT", 0, 0, std::numeric_limits<qint64>::max(),
                           "a number of bytes");
    floodBytes[1] = number("JCP_SIM_FLOOD_STDERR", 0, 0, std::numeric_limits<qint64>::max(),
                           "a number of bytes");
    exitCode = static_cast<int>(number("JCP_SIM_EXIT", 0, std::numeric_limits<int>::min(),
                                       std::numeric_limits<int>::max(), "an exit code"));
    replaced = qEnvironmentVariableIsSet("JCP_SIM_STDOUT")
        || qEnvironmentVariableIsSet("JCP_SIM_STDERR") || qEnvironmentVariableIsSet("JCP_SIM_EXIT");
}

void TestControls::record(const QList<QByteArray> &args) const
{
    const QString path = qEnvironmentVariable("JCP_SIM_RECORD");
    if (path.isEmpty())
        return;
    QStringList values;
    for (const QByteArray &arg : args)
        values << QString::fromUtf8(arg);
    // Appended unbuffered, so the line goes out in one write and runs that
    // overlap never interleave their records.
    const QByteArray line
        = QJsonDocument(QJsonArray::fromStringList(values)).toJson(QJsonDocument::Compact) + '\n';
    QFile file(path);
    if (!file.open(QIODevice::Append | QIODevice::Unbuffered) || file.write(line) != line.size())
        put(stderr,
            QStringLiteral("jcp: cannot record the arguments in '%1': %2\n")
                .arg(path, file.errorString())
                .toUtf8());
}

int TestControls::replaceRun() const
{
    hold();
    put(stdout, qgetenv("JCP_SIM_STDOUT"));
    put(stderr, qgetenv("JCP_SIM_STDERR"));
    return exitCode;
}

void TestControls::hold() const
{
    const QString path = qEnvironmentVariable("JCP_SIM_HOLD");
    while (!path.isEmpty() && !QFileInfo::exists(path))
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

// A tool stuck in a retry loop: numbered lines, at least `floodBytes[0]` of
// them on standard output and `floodBytes[1]` on standard error, written in
// turns as fast as the reader takes them. Each channel's last line says it is
// the last.
void TestControls::flood() const
{
    std::FILE *const streams[2] = {stdout, stderr};
    qint64 left[2] = {floodBytes[0], floodBytes[1]};
    qint64 lines[2] = {0, 0};
    while (left[0] > 0 || left[1] > 0) {
        for (int channel = 0; channel < 2; ++channel) {
            QByteArray block;
            bool last = false;
            while (!last && left[channel] > block.size() && block.size() < 4 * KiB) {
                const QByteArray number
                    = QByteArray::number(++lines[channel]).rightJustified(9, '0');
                last = left[channel] - block.size() <= 64;
                block += (channel == 0 ? "stdout" : "stderr") + QByteArray(" retry ") + number
                    + (last ? " |/-\\ last line of the flood\n"
                            : " |/-\\ block not acknowledged, retrying\n");
            }
            put(streams[channel], block);
            left[channel] = last ? 0 : left[channel] - block.size();
        }
    }
}
