// A stand-in for the Skunkboard flash tool: it simulates a board whose two
// flash banks are files, for development and tests on machines without the
// hardware. Environment variables let tests record, pace, hold and steer its
// runs.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <limits>
#include <optional>
#include <thread>
#include <utility>

namespace {

enum Exit : std::uint8_t { ExitOk = 0, ExitFailed = 1, ExitUsage = 2 };

constexpr qint64 KiB = 1024;
constexpr qint64 MiB = 1024 * KiB;
constexpr qint64 bankCapacity = 4 * MiB;
// 6MB mode spreads one image over both banks, as far as the cartridge space
// reaches.
constexpr qint64 sixMegCapacity = 6 * MiB;
// The Jaguar's main memory, the limit for an image loaded and run from RAM.
constexpr qint64 ramCapacity = 2 * MiB;
// A firmware update takes about as long as sending an image of this size.
constexpr qint64 updateWork = 2 * MiB;
constexpr qint64 defaultPaceMs = 800;

const char usageText[]
    = "usage (stand-in for the Skunkboard flash tool, simulated board):\n"
      "  jcp -q [-n] [-o] [-2|-6] [-w] [-f] [-h SKIP] FILE [ADDRESS]\n"
      "                     send FILE (after SKIP header bytes) to RAM, or with -f\n"
      "                     to flash bank 1, bank 2 (-2) or both (-6); ADDRESS comes\n"
      "                     exactly with -o; -2, -6 and -w need -f\n"
      "  jcp -r             reset the board\n"
      "  jcp -q -s          print the board's serial number\n"
      "  jcp -q -u          update the board's firmware\n"
      "  jcp -q -d PATH     dump flash bank 1 into PATH\n"
      "  jcp -q -d2 PATH    dump flash bank 2 into PATH\n";

void put(std::FILE *stream, const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream);
}

void say(const QString &text)
{
    put(stdout, text.toUtf8());
}

void complain(const QString &message)
{
    put(stderr, ("jcp: " + message + '\n').toUtf8());
}

int fail(int code, const QString &message)
{
    complain(message);
    return code;
}

QString quoted(const QString &text)
{
    return '\'' + text + '\'';
}

QByteArray jsonArray(const QStringList &values)
{
    return QJsonDocument(QJsonArray::fromStringList(values)).toJson(QJsonDocument::Compact);
}

bool isDecimal(const QString &text)
{
    return !text.isEmpty()
        && std::all_of(text.begin(), text.end(), [](QChar c) { return c >= '0' && c <= '9'; });
}

// An environment setting as a number; `fallback` when unset or empty, nothing
// when it is not a number within [min, max].
std::optional<qint64> numberSetting(const char *name, qint64 fallback, qint64 min, qint64 max)
{
    const QString text = qEnvironmentVariable(name);
    if (text.isEmpty())
        return fallback;
    bool ok = false;
    const qint64 value = text.toLongLong(&ok);
    if (!ok || value < min || value > max || !isDecimal(text.startsWith('-') ? text.mid(1) : text))
        return std::nullopt;
    return value;
}

void holdUntilPresent(const QString &path)
{
    while (!path.isEmpty() && !QFileInfo::exists(path))
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
}

// Progress as a flash tool draws it: a turning bar, one write per step, each
// character stepped back over with a backspace. The work takes `paceMs` per
// MiB, with a step per 64 KiB and at least every ~100 ms; a few steps show
// even when there is no waiting at all.
void spin(qint64 bytes, qint64 paceMs)
{
    const double totalMs
        = static_cast<double>(bytes) * static_cast<double>(paceMs) / static_cast<double>(MiB);
    const qint64 steps = std::max(
        {qint64{8}, (bytes + 64 * KiB - 1) / (64 * KiB), static_cast<qint64>(totalMs / 100)});
    const std::chrono::duration<double, std::milli> perStep(totalMs / static_cast<double>(steps));
    const auto start = std::chrono::steady_clock::now();
    for (qint64 i = 0; i < steps; ++i) {
        const char step[] = {"|/-\\"[i % 4], '\b'};
        std::fwrite(step, 1, sizeof step, stdout);
        std::this_thread::sleep_until(start + perStep * static_cast<double>(i + 1));
    }
}

// A tool stuck in a retry loop: numbered lines, at least `bytes[0]` of them on
// standard output and `bytes[1]` on standard error, written in turns as fast
// as the reader takes them. Each channel's last line says it is the last.
void flood(const qint64 (&bytes)[2])
{
    std::FILE *const streams[2] = {stdout, stderr};
    qint64 left[2] = {bytes[0], bytes[1]};
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

// The board's folder: JCP_SIM_STATE_DIR, else under XDG_STATE_HOME, else
// under ~/.local/state; empty when none of them is set.
QString stateDirectory()
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

QString bankPath(const QString &dir, int bank)
{
    return dir + (bank == 1 ? "/bank1.bin" : "/bank2.bin");
}

// Empty when the folder is there, else why not.
QString ensureStateDir(const QString &dir)
{
    if (dir.isEmpty())
        return "no folder for the simulated board: set JCP_SIM_STATE_DIR, XDG_STATE_HOME or HOME";
    if (!QDir().mkpath(dir)) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        return "cannot create the simulated board's folder " + quoted(dir) + ": " + reason;
    }
    return {};
}

// Replaces the file through a temporary one, so a failed write never leaves
// half a bank behind. Empty on success.
QString saveFile(const QString &path, const QByteArray &data)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(data) == data.size() && file.commit())
        return {};
    return "cannot write " + quoted(path) + ": " + file.errorString();
}

// Written in place: a dump's path may be a device or a pipe, which a
// temporary file renamed over it would replace. Empty on success.
QString writeFile(const QString &path, const QByteArray &data)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(data) == data.size() && file.flush())
        return {};
    return "cannot write " + quoted(path) + ": " + file.errorString();
}

// Empty content erases the bank. Empty on success.
QString storeBank(const QString &dir, int bank, const QByteArray &data)
{
    if (!data.isEmpty())
        return saveFile(bankPath(dir, bank), data);
    QFile file(bankPath(dir, bank));
    if (!file.exists() || file.remove())
        return {};
    return "cannot erase bank " + QString::number(bank) + ": " + file.errorString();
}

// One argument list the board understands, taken apart.
struct Command
{
    enum Kind : std::uint8_t { Transfer, Reset, Serial, Update, Dump } kind = Transfer;
    QStringList flags; // of a transfer: "-n", "-o", "-2", "-6", "-w", "-f"
    bool headerSkip = false;
    QString skip;
    QString file; // the image, or the dump's path
    QString address;
    int bank = 1; // of a dump

    bool has(const char *flag) const { return flags.contains(QLatin1String(flag)); }
};

std::optional<Command> parseCommand(const QStringList &args)
{
    Command command;
    if (args == QStringList{"-r"}) {
        command.kind = Command::Reset;
        return command;
    }
    if (args.value(0) != "-q")
        return std::nullopt;
    if (args.size() == 2 && (args[1] == "-s" || args[1] == "-u")) {
        command.kind = args[1] == "-s" ? Command::Serial : Command::Update;
        return command;
    }
    if (args.size() == 3 && (args[1] == "-d" || args[1] == "-d2")) {
        command.kind = Command::Dump;
        command.file = args[2];
        command.bank = args[1] == "-d" ? 1 : 2;
        return command;
    }
    // -q [-n] [-o] [-2] [-6] [-w] [-f] [-h SKIP] FILE [ADDRESS]. The file may
    // itself look like a flag, so the longest run of leading flags that leaves
    // a valid rest wins.
    static const QStringList order{"-n", "-o", "-2", "-6", "-w", "-f"};
    for (qsizetype count = std::min(order.size(), args.size() - 1); count >= 0; --count) {
        command = Command();
        command.flags = args.mid(1, count);
        qsizetype last = -1;
        const bool inOrder
            = std::all_of(command.flags.begin(), command.flags.end(), [&last](const QString &flag) {
                  const qsizetype at = order.indexOf(flag);
                  return at > std::exchange(last, at);
              });
        QStringList rest = args.mid(1 + count);
        const qsizetype needed = command.has("-o") ? 2 : 1;
        if (rest.size() == needed + 2 && rest[0] == "-h") {
            command.headerSkip = true;
            command.skip = rest[1];
            rest = rest.mid(2);
        }
        // Bank choice and word mode only mean something for flash, and the
        // bank buttons exclude each other.
        const bool flashOnly = command.has("-2") || command.has("-6") || command.has("-w");
        if (!inOrder || rest.size() != needed || (flashOnly && !command.has("-f"))
            || (command.has("-2") && command.has("-6")))
            continue;
        command.file = rest[0];
        command.address = rest.value(1);
        return command;
    }
    return std::nullopt;
}

int transfer(const Command &command, const QString &stateDir, qint64 paceMs)
{
    if (command.file.isEmpty())
        return fail(ExitUsage, "no image file given (the file argument is empty)");
    qint64 skip = 0;
    if (command.headerSkip) {
        if (!isDecimal(command.skip))
            return fail(ExitUsage,
                        "header skip " + quoted(command.skip)
                            + " is not a non-negative decimal number");
        bool ok = false;
        skip = command.skip.toLongLong(&ok);
        if (!ok) // beyond 64 bits, so beyond any file
            skip = std::numeric_limits<qint64>::max();
    }
    uint address = 0;
    if (command.has("-o")) {
        const bool hex = command.address.startsWith("0x", Qt::CaseInsensitive);
        const QString digits = hex ? command.address.mid(2) : command.address;
        bool ok = std::all_of(digits.begin(), digits.end(), [hex](QChar c) {
            return (c >= '0' && c <= '9') || (hex && QStringLiteral("abcdefABCDEF").contains(c));
        });
        address = ok ? digits.toUInt(&ok, hex ? 16 : 10) : 0;
        if (!ok)
            return fail(ExitUsage,
                        "malformed address " + quoted(command.address)
                            + ": expected 0x and hexadecimal digits, or a decimal "
                              "number, of at most 32 bits");
    }

    const bool flash = command.has("-f");
    const bool sixMeg = flash && command.has("-6");
    QString target = "RAM";
    qint64 capacity = ramCapacity;
    if (sixMeg) {
        target = "flash banks 1 and 2";
        capacity = sixMegCapacity;
    } else if (flash) {
        target = command.has("-2") ? "flash bank 2" : "flash bank 1";
        capacity = bankCapacity;
    }

    QFile file(command.file);
    if (!file.open(QIODevice::ReadOnly))
        return fail(ExitFailed,
                    "cannot open image " + quoted(command.file) + ": " + file.errorString());
    const qint64 size = file.size();
    if (skip > size)
        return fail(ExitFailed,
                    "header skip " + command.skip + " is larger than the image "
                        + quoted(command.file) + " (" + QString::number(size) + " bytes)");
    // One byte past the capacity tells a too large image without holding it.
    const QByteArray data = file.seek(skip) ? file.read(capacity + 1) : QByteArray();
    if (file.error() != QFileDevice::NoError)
        return fail(ExitFailed,
                    "cannot read image " + quoted(command.file) + ": " + file.errorString());
    if (data.isEmpty())
        return fail(ExitFailed,
                    "image " + quoted(command.file) + " has no data after skipping "
                        + QString::number(skip) + " header bytes");
    if (data.size() > capacity)
        return fail(ExitFailed,
                    "image " + quoted(command.file) + " is too large: "
                        + QString::number(size - skip) + " bytes of image data, at most "
                        + QString::number(capacity) + " fit into " + target);
    if (const QString error = flash ? ensureStateDir(stateDir) : QString(); !error.isEmpty())
        return fail(ExitFailed, error);

    QStringList details;
    if (sixMeg)
        details << "6MB mode";
    if (command.headerSkip)
        details << "skipping " + QString::number(skip) + " header bytes";
    if (command.has("-o"))
        details << "load address 0x" + QString::number(address, 16);
    if (command.has("-w"))
        details << "word flash mode";
    if (command.has("-n"))
        details << "boot skipped";
    say("Sending " + quoted(command.file) + " to " + target
        + (details.isEmpty() ? QString() : " (" + details.join(", ") + ")") + '\n');

    spin(data.size(), paceMs);

    if (flash) {
        // In 6MB mode bank 2 takes what goes beyond bank 1, and is erased
        // when nothing does.
        QString error = storeBank(stateDir, command.has("-2") ? 2 : 1, data.left(bankCapacity));
        if (error.isEmpty() && sixMeg)
            error = storeBank(stateDir, 2, data.mid(bankCapacity));
        if (!error.isEmpty()) {
            say("\n");
            return fail(ExitFailed, error);
        }
    }
    say("Transfer complete: " + QString::number(data.size()) + " bytes sent to " + target + '\n');
    return ExitOk;
}

int dump(const Command &command, const QString &stateDir, qint64 paceMs)
{
    if (command.file.isEmpty())
        return fail(ExitUsage, "no dump file given (the path argument is empty)");
    const QString bank = QString::number(command.bank);
    QByteArray data;
    if (QFile file(bankPath(stateDir, command.bank)); !stateDir.isEmpty() && file.exists()) {
        if (file.open(QIODevice::ReadOnly))
            data = file.readAll();
        if (file.error() != QFileDevice::NoError)
            return fail(ExitFailed, "cannot read bank " + bank + ": " + file.errorString());
    }
    if (data.isEmpty())
        return fail(ExitFailed, "bank " + bank + " is empty (nothing has been flashed into it)");

    say("Reading flash bank " + bank + " into " + quoted(command.file) + '\n');
    spin(data.size(), paceMs);
    if (const QString error = writeFile(command.file, data); !error.isEmpty()) {
        say("\n");
        return fail(ExitFailed, error);
    }
    say("Dump complete: " + QString::number(data.size()) + " bytes written to "
        + quoted(command.file) + '\n');
    return ExitOk;
}

int serial(const QString &stateDir)
{
    if (const QString error = ensureStateDir(stateDir); !error.isEmpty())
        return fail(ExitFailed, error);
    // Made up once per board folder, then read back, so it stays stable.
    const QString path = stateDir + "/serial";
    QFile file(path);
    QString number
        = file.open(QIODevice::ReadOnly) ? QString::fromLatin1(file.read(16)) : QString();
    if (number.size() != 4 || !isDecimal(number)) {
        number = QString::number(QRandomGenerator::global()->bounded(1000, 10000));
        if (const QString error = saveFile(path, number.toLatin1()); !error.isEmpty())
            return fail(ExitFailed, error);
    }
    say("Serial number: " + number + '\n');
    return ExitOk;
}

int runBoard(const QStringList &args, qint64 paceMs)
{
    const std::optional<Command> command = parseCommand(args);
    if (!command) {
        fail(ExitUsage, "argument list not understood: " + QString::fromUtf8(jsonArray(args)));
        put(stderr, usageText);
        return ExitUsage;
    }
    switch (command->kind) {
    case Command::Transfer:
        return transfer(*command, stateDirectory(), paceMs);
    case Command::Dump:
        return dump(*command, stateDirectory(), paceMs);
    case Command::Serial:
        return serial(stateDirectory());
    case Command::Update:
        say("Updating the board's firmware\n");
        spin(updateWork, paceMs);
        say("Firmware update complete\n");
        return ExitOk;
    case Command::Reset:
        say("Skunkboard reset\n");
        return ExitOk;
    }
    return ExitFailed;
}

} // namespace

int main(int argc, char *argv[])
{
    // Unbuffered, so every piece of output leaves in one write of its own.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::setvbuf(stderr, nullptr, _IONBF, 0);

    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromUtf8(argv[i]);

    if (const QString record = qEnvironmentVariable("JCP_SIM_RECORD"); !record.isEmpty()) {
        // Appended unbuffered, so the line goes out in one write and runs
        // that overlap never interleave their records.
        QFile file(record);
        const QByteArray line = jsonArray(args) + '\n';
        if (!file.open(QIODevice::Append | QIODevice::Unbuffered)
            || file.write(line) != line.size())
            complain("cannot record the arguments in " + quoted(record) + ": "
                     + file.errorString());
    }

    const QString hold = qEnvironmentVariable("JCP_SIM_HOLD");
    if (qEnvironmentVariableIsSet("JCP_SIM_STDOUT") || qEnvironmentVariableIsSet("JCP_SIM_STDERR")
        || qEnvironmentVariableIsSet("JCP_SIM_EXIT")) {
        const std::optional<qint64> code = numberSetting(
            "JCP_SIM_EXIT", 0, std::numeric_limits<int>::min(), std::numeric_limits<int>::max());
        if (!code)
            return fail(ExitUsage,
                        "JCP_SIM_EXIT " + quoted(qEnvironmentVariable("JCP_SIM_EXIT"))
                            + " is not an exit code");
        holdUntilPresent(hold);
        put(stdout, qgetenv("JCP_SIM_STDOUT"));
        put(stderr, qgetenv("JCP_SIM_STDERR"));
        return static_cast<int>(*code);
    }

    const std::optional<qint64> paceMs
        = numberSetting("JCP_SIM_PACE_MS", defaultPaceMs, 0, std::numeric_limits<uint>::max());
    if (!paceMs)
        return fail(ExitUsage,
                    "JCP_SIM_PACE_MS " + quoted(qEnvironmentVariable("JCP_SIM_PACE_MS"))
                        + " is not a number of milliseconds");
    const char *const floodNames[2] = {"JCP_SIM_FLOOD_STDOUT", "JCP_SIM_FLOOD_STDERR"};
    qint64 floodBytes[2] = {0, 0};
    for (int channel = 0; channel < 2; ++channel) {
        const char *name = floodNames[channel];
        const std::optional<qint64> bytes
            = numberSetting(name, 0, 0, std::numeric_limits<qint64>::max());
        if (!bytes)
            return fail(ExitUsage,
                        QString(name) + ' ' + quoted(qEnvironmentVariable(name))
                            + " is not a number of bytes");
        floodBytes[channel] = *bytes;
    }
    say("jcp stand-in: simulated Skunkboard, no hardware is used\n");
    holdUntilPresent(hold);
    flood(floodBytes);
    return runBoard(args, *paceMs);
}
