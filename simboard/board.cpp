#include "simboard/board.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSaveFile>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>
#include <utility>

namespace {

using Bank = CommandLine::Bank;

constexpr qint64 KiB = 1024;
constexpr qint64 MiB = 1024 * KiB;
constexpr qint64 bankCapacity = 4 * MiB;
// 6MB mode spreads one image over both banks, as far as the cartridge space
// reaches.
constexpr qint64 bothBanksCapacity = 6 * MiB;
// A firmware update takes about as long as sending an image of this size.
constexpr qint64 updateWork = 2 * MiB;
// The 8 KB cartridge header holds the image's start address at 0x404.
constexpr qsizetype cartHeader = 8 * KiB;
constexpr qsizetype cartStartAt = 0x404;
constexpr quint32 cartBase = 0x802000;
constexpr quint32 ramBase = 0x4000;
// The cartridge space: a load that reaches it needs -f.
constexpr qint32 flashSpace = 0x800000;

struct Closer
{
    void operator()(std::FILE *file) const { std::fclose(file); }
};
using File = std::unique_ptr<std::FILE, Closer>;

void say(const QByteArray &text)
{
    std::fwrite(text.constData(), 1, static_cast<size_t>(text.size()), stdout);
}

int fail(const QByteArray &text)
{
    say(text);
    return 1;
}

QString bankFile(int bank)
{
    return bank == 1 ? QStringLiteral("bank1.bin") : QStringLiteral("bank2.bin");
}

QByteArray hex(quint32 value)
{
    return QByteArray::number(value, 16).toUpper();
}

// Opened by the path's bytes, as the tool opens it; a folder reads as empty.
QByteArray readImage(const QByteArray &path)
{
    QByteArray data;
    const File file(std::fopen(path.constData(), "rb"));
    char block[64 * KiB];
    for (size_t got = 0; file && (got = std::fread(block, 1, sizeof block, file.get())) > 0;)
        data.append(block, static_cast<qsizetype>(got));
    return data;
}

} // namespace

Board::Board(QString folder, qint64 paceMs, bool present, qint64 retryMs)
    : folder(std::move(folder))
    , paceMs(paceMs)
    , present(present)
    , retryMs(retryMs)
{
}

int Board::run(const CommandLine &command) const
{
    switch (command.action) {
    case CommandLine::Action::Transfer:
        return transfer(command);
    case CommandLine::Action::Dump:
        return dump(command);
    case CommandLine::Action::Serial:
        return serial();
    case CommandLine::Action::Update:
        return update(command);
    case CommandLine::Action::Reset:
        return reset();
    }
    return 1;
}

int Board::transfer(const CommandLine &command) const
{
    const QByteArray image = readImage(*command.file);
    if (image.isEmpty())
        return fail("* Couldn't read file\n");
    // An image with the cartridge header loads from $802000, after the
    // header; a header skip asked for is then ignored.
    const bool cart = image.size() > cartHeader
        && image.mid(cartStartAt, 4) == QByteArray::fromRawData("\0\x80\x20\0", 4);
    const qsizetype detected = cart ? cartHeader : 0;
    const quint32 base = command.address.value_or(cart ? cartBase : ramBase);
    say((cart ? "Cart ROM:  Skip " : "Skip ") + QByteArray::number(detected)
        + " bytes, base addr is $" + hex(base) + ", length is "
        + QByteArray::number(image.size() - detected) + " bytes\n");
    qsizetype skip = detected;
    if (!cart && command.headerSkip > 0) {
        skip = command.headerSkip;
        say("Forcing a manual header skip of " + QByteArray::number(skip) + " bytes (was "
            + QByteArray::number(detected) + ")\n");
    }
    const qsizetype length = image.size() - skip;
    // Compared in signed 32 bits, as the tool does: a load address from
    // $80000000 up passes.
    if (!command.flash && static_cast<qint32>(base + static_cast<quint32>(length)) >= flashSpace)
        return fail("* This upload requires the -f option to prepare the flash!\n");
    const bool both = command.bank == Bank::Both && length > bankCapacity;
    if (command.bank == Bank::Both && !both)
        say("6MB mode not required, will flash bank 1\n");
    if (command.noBoot && command.flash)
        say("- NoBoot option not supported during flashing\n");
    if (command.wordFlash)
        say("Using slow flash (experimental...)\n");
    if (!attach())
        return 1;

    if (length <= 0)
        return fail("* Nothing to send after a header skip of " + QByteArray::number(skip)
                    + " bytes.\n\n");
    const QByteArray data = image.mid(skip);
    QByteArray target = "RAM at $" + hex(base);
    if (command.flash) {
        target = both                   ? "flash banks 1 and 2"
            : command.bank == Bank::Two ? "flash bank 2"
                                        : "flash bank 1";
        const qint64 capacity = both ? bothBanksCapacity : bankCapacity;
        if (data.size() > capacity)
            return fail("* Image too large: " + QByteArray::number(data.size()) + " bytes, at most "
                        + QByteArray::number(capacity) + " fit into " + target + ".\n\n");
    }
    work(data.size(), command.quiet);
    if (command.flash) {
        // In 6MB mode bank 2 takes what goes beyond bank 1.
        QByteArray error
            = save(bankFile(command.bank == Bank::Two ? 2 : 1), data.left(bankCapacity));
        if (error.isEmpty() && both)
            error = save(bankFile(2), data.mid(bankCapacity));
        if (!error.isEmpty())
            return fail(error);
    }
    say("Transfer complete: " + QByteArray::number(data.size()) + " bytes sent to " + target
        + "\n\n");
    return 0;
}

int Board::dump(const CommandLine &command) const
{
    // Created or emptied before the board is looked for, as the tool does.
    const File target(std::fopen(command.file->constData(), "wb"));
    if (!target)
        return fail("* Can't open output file!\n");
    say("Beginning dump to '" + *command.file + "'...\n");
    if (!attach())
        return 1;
    const int bank = command.bank == Bank::Two ? 2 : 1;
    QFile file(folder + '/' + bankFile(bank));
    const QByteArray data
        = !folder.isEmpty() && file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    if (data.isEmpty())
        return fail("* Bank " + QByteArray::number(bank)
                    + " is empty: nothing has been flashed into it.\n\n");
    work(data.size(), command.quiet);
    if (std::fwrite(data.constData(), 1, static_cast<size_t>(data.size()), target.get())
            != static_cast<size_t>(data.size())
        || std::fflush(target.get()) != 0)
        return fail("* Can't write output file: " + QByteArray(std::strerror(errno)) + "\n\n");
    say("* Dump complete.\n\n");
    return 1;
}

int Board::serial() const
{
    if (!attach())
        return 1;
    // Made up once per board folder, then read back, so it stays stable.
    QFile file(folder + "/serial");
    QByteArray number
        = !folder.isEmpty() && file.open(QIODevice::ReadOnly) ? file.read(16) : QByteArray();
    if (number.size() != 4 || !std::all_of(number.begin(), number.end(), [](char c) {
            return std::isdigit(static_cast<unsigned char>(c));
        })) {
        number = QByteArray::number(QRandomGenerator::global()->bounded(1000, 10000));
        if (const QByteArray error = save("serial", number); !error.isEmpty())
            return fail(error);
    }
    say("Serial number: " + number + "\n\n");
    return 1;
}

int Board::update(const CommandLine &command) const
{
    say("Examining current board...\n");
    if (!attach())
        return 1;
    say("Updating firmware...\n");
    work(updateWork, command.quiet);
    say("* Update complete.\n\n");
    return 1;
}

int Board::reset() const
{
    say("Resetting jaguar...\n");
    if (!attach())
        return 1;
    say("* Reset complete.\n\n");
    return 1;
}

// Looked for three times, a second apart as the tool does unless the tests
// ask for less.
bool Board::attach() const
{
    if (present)
        return true;
    for (int retry = 0; retry < 2; ++retry) {
        say(".. retrying ..\n");
        std::this_thread::sleep_for(std::chrono::milliseconds(retryMs));
    }
    say("* Can't open EZ-HOST.\n\n");
    return false;
}

// The work takes `paceMs` per MiB, a block of 64 KiB at a time. Without -q
// a spinner turns a step as each block begins, flushed as the tool flushes
// it; with -q the tool draws and flushes nothing, so on a pipe its text
// leaves at exit.
void Board::work(qint64 bytes, bool quiet) const
{
    const std::chrono::duration<double, std::milli> total(
        static_cast<double>(bytes) * static_cast<double>(paceMs) / static_cast<double>(MiB));
    if (quiet)
        return std::this_thread::sleep_for(total);
    const qint64 blocks = std::max<qint64>(1, (bytes + 64 * KiB - 1) / (64 * KiB));
    const auto start = std::chrono::steady_clock::now();
    for (qint64 i = 0; i < blocks; ++i) {
        const char step[] = {"|/-\\"[i % 4], '\b'};
        std::fwrite(step, 1, sizeof step, stdout);
        std::fflush(stdout);
        std::this_thread::sleep_until(
            start + total * (static_cast<double>(i + 1) / static_cast<double>(blocks)));
    }
}

// Replaces the file through a temporary one, so a failed write never leaves
// half a bank behind. Empty on success, else the message.
QByteArray Board::save(const QString &name, const QByteArray &data) const
{
    if (folder.isEmpty())
        return "* No folder for the simulated board: set JCP_SIM_STATE_DIR, XDG_STATE_HOME or "
               "HOME.\n\n";
    if (!QDir().mkpath(folder))
        return "* Can't create the simulated board's folder '" + QFile::encodeName(folder)
            + "'.\n\n";
    QSaveFile file(folder + '/' + name);
    if (file.open(QIODevice::WriteOnly) && file.write(data) == data.size() && file.commit())
        return {};
    return "* Can't write '" + QFile::encodeName(file.fileName())
        + "': " + file.errorString().toUtf8() + ".\n\n";
}
