#include "jcpboard.h"

#include "jcprecord.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <system_error>
#include <thread>

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t bankCapacity = std::uint64_t{4} * 1024 * 1024;
// 6MB mode spreads one image over both banks, as far as the cartridge space
// reaches.
constexpr std::uint64_t sixMegCapacity = std::uint64_t{6} * 1024 * 1024;
// The Jaguar's main memory, the limit for an image loaded and run from RAM.
constexpr std::uint64_t ramCapacity = std::uint64_t{2} * 1024 * 1024;

const char *const usageText
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

void say(const std::string &text)
{
    std::fwrite(text.data(), 1, text.size(), stdout);
    std::fflush(stdout);
}

int fail(int code, const std::string &message)
{
    const std::string line = "jcp: " + message + "\n";
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fflush(stderr);
    return code;
}

std::string quoted(const std::string &text)
{
    return "'" + text + "'";
}

std::string systemReason()
{
    return std::strerror(errno);
}

// Progress as a flash tool draws it: a turning bar, one flushed write per
// step, each character stepped back over with a backspace. Bigger images
// turn a little longer, but a run stays well under a second.
void spin(std::uint64_t bytes)
{
    static const char bars[] = {'|', '/', '-', '\\'};
    const std::uint64_t steps
        = 8 + std::min<std::uint64_t>(bytes / (std::uint64_t{512} * 1024), 16);
    for (std::uint64_t i = 0; i < steps; ++i) {
        say(std::string{bars[i % 4], '\b'});
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

fs::path bankFile(const std::string &stateDir, int bank)
{
    return fs::path(stateDir) / (bank == 1 ? "bank1.bin" : "bank2.bin");
}

bool ensureStateDir(const std::string &stateDir, std::string &error)
{
    if (stateDir.empty()) {
        error = "no folder for the simulated board: set JCP_SIM_STATE_DIR, XDG_STATE_HOME or HOME";
        return false;
    }
    std::error_code ec;
    fs::create_directories(stateDir, ec);
    if (ec) {
        error = "cannot create the simulated board's folder " + quoted(stateDir) + ": "
            + ec.message();
        return false;
    }
    return true;
}

bool writeFile(const fs::path &path, const char *data, std::size_t size, std::string &error)
{
    std::FILE *file = std::fopen(path.c_str(), "wb");
    if (!file) {
        error = "cannot write " + quoted(path.string()) + ": " + systemReason();
        return false;
    }
    const bool written = std::fwrite(data, 1, size, file) == size;
    const int writeErrno = errno;
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        if (!written)
            errno = writeErrno;
        error = "cannot write " + quoted(path.string()) + ": " + systemReason();
        return false;
    }
    return true;
}

// Replaces a bank's content through a temporary file, so a failed write never
// leaves half an image behind.
bool storeBank(const std::string &stateDir, int bank, const char *data, std::size_t size,
               std::string &error)
{
    const fs::path target = bankFile(stateDir, bank);
    std::error_code ec;
    if (size == 0) {
        fs::remove(target, ec);
        if (ec)
            error = "cannot erase bank " + std::to_string(bank) + ": " + ec.message();
        return !ec;
    }
    fs::path temporary = target;
    temporary += ".new";
    if (!writeFile(temporary, data, size, error))
        return false;
    fs::rename(temporary, target, ec);
    if (ec) {
        error = "cannot store bank " + std::to_string(bank) + ": " + ec.message();
        fs::remove(temporary, ec);
        return false;
    }
    return true;
}

struct Image
{
    std::uint64_t fileSize = 0;
    std::vector<char> data; // the bytes after the skip, up to capacity + 1
};

// Reads the image, keeping only the bytes after `skip` and no more than one
// byte past `capacity`, so a huge file is measured without being held.
bool readImage(const std::string &path, std::uint64_t skip, std::uint64_t capacity, Image &image,
               std::string &error)
{
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (!file) {
        error = "cannot open image " + quoted(path) + ": " + systemReason();
        return false;
    }
    char buffer[64 * 1024];
    std::size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
        const std::uint64_t start = image.fileSize;
        image.fileSize += got;
        if (image.fileSize <= skip || image.data.size() > capacity)
            continue;
        const std::size_t from = start >= skip ? 0 : static_cast<std::size_t>(skip - start);
        const std::size_t room = static_cast<std::size_t>(capacity + 1 - image.data.size());
        const std::size_t take = std::min(got - from, room);
        image.data.insert(image.data.end(), buffer + from, buffer + from + take);
    }
    const bool failed = std::ferror(file) != 0;
    const int readErrno = errno;
    std::fclose(file);
    if (failed) {
        errno = readErrno;
        error = "cannot read image " + quoted(path) + ": " + systemReason();
        return false;
    }
    return true;
}

int transfer(const JcpCommand &command, const std::string &stateDir)
{
    if (command.file.empty())
        return fail(ExitUsage, "no image file given (the file argument is empty)");
    std::uint64_t skip = 0;
    if (command.headerSkip) {
        const auto parsed = parseSkipCount(command.skip);
        if (!parsed)
            return fail(ExitUsage,
                        "header skip " + quoted(command.skip)
                            + " is not a non-negative decimal number");
        skip = *parsed;
    }
    std::uint32_t address = 0;
    if (command.overrideAddr) {
        const auto parsed = parseAddress(command.address);
        if (!parsed)
            return fail(ExitUsage,
                        "malformed address " + quoted(command.address)
                            + ": expected 0x and hexadecimal digits, or a decimal "
                              "number, of at most 32 bits");
        address = *parsed;
    }

    std::string target = "RAM";
    std::uint64_t capacity = ramCapacity;
    if (command.flash && command.sixMeg) {
        target = "flash banks 1 and 2";
        capacity = sixMegCapacity;
    } else if (command.flash) {
        target = command.bank2 ? "flash bank 2" : "flash bank 1";
        capacity = bankCapacity;
    }

    Image image;
    std::string error;
    if (!readImage(command.file, skip, capacity, image, error))
        return fail(ExitFailed, error);
    if (skip > image.fileSize)
        return fail(ExitFailed,
                    "header skip " + command.skip + " is larger than the image "
                        + quoted(command.file) + " (" + std::to_string(image.fileSize) + " bytes)");
    if (image.data.empty())
        return fail(ExitFailed,
                    "image " + quoted(command.file) + " has no data after skipping "
                        + std::to_string(skip) + " header bytes");
    if (image.data.size() > capacity)
        return fail(ExitFailed,
                    "image " + quoted(command.file) + " is too large: "
                        + std::to_string(image.fileSize - skip) + " bytes of image data, at most "
                        + std::to_string(capacity) + " fit into " + target);
    if (command.flash && !ensureStateDir(stateDir, error))
        return fail(ExitFailed, error);

    std::vector<std::string> details;
    if (command.flash && command.sixMeg)
        details.push_back("6MB mode");
    if (command.headerSkip)
        details.push_back("skipping " + std::to_string(skip) + " header bytes");
    if (command.overrideAddr) {
        char text[16];
        std::snprintf(text, sizeof text, "0x%x", static_cast<unsigned>(address));
        details.push_back(std::string("load address ") + text);
    }
    if (command.wordFlash)
        details.push_back("word flash mode");
    if (command.skipBoot)
        details.push_back("boot skipped");
    std::string line = "Sending " + quoted(command.file) + " to " + target;
    for (std::size_t i = 0; i < details.size(); ++i)
        line += (i == 0 ? " (" : ", ") + details[i];
    say(line + (details.empty() ? "\n" : ")\n"));

    spin(image.data.size());

    if (command.flash) {
        const std::size_t size = image.data.size();
        bool stored;
        if (command.sixMeg) {
            const std::size_t first = std::min<std::size_t>(size, bankCapacity);
            stored = storeBank(stateDir, 1, image.data.data(), first, error)
                && storeBank(stateDir, 2, image.data.data() + first, size - first, error);
        } else {
            stored = storeBank(stateDir, command.bank2 ? 2 : 1, image.data.data(), size, error);
        }
        if (!stored) {
            say("\n");
            return fail(ExitFailed, error);
        }
    }
    say("Transfer complete: " + std::to_string(image.data.size()) + " bytes sent to " + target
        + "\n");
    return ExitOk;
}

int dump(const JcpCommand &command, const std::string &stateDir)
{
    if (command.file.empty())
        return fail(ExitUsage, "no dump file given (the path argument is empty)");
    const std::string bank = std::to_string(command.bank);
    std::string error;
    std::vector<char> data;
    if (!stateDir.empty()) {
        std::FILE *file = std::fopen(bankFile(stateDir, command.bank).c_str(), "rb");
        if (file) {
            char buffer[64 * 1024];
            std::size_t got;
            while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0)
                data.insert(data.end(), buffer, buffer + got);
            const bool failed = std::ferror(file) != 0;
            std::fclose(file);
            if (failed)
                return fail(ExitFailed, "cannot read bank " + bank + ": " + systemReason());
        } else if (errno != ENOENT) {
            return fail(ExitFailed, "cannot read bank " + bank + ": " + systemReason());
        }
    }
    if (data.empty())
        return fail(ExitFailed, "bank " + bank + " is empty (nothing has been flashed into it)");

    say("Reading flash bank " + bank + " into " + quoted(command.file) + "\n");
    spin(data.size());
    if (!writeFile(command.file, data.data(), data.size(), error)) {
        say("\n");
        return fail(ExitFailed, error);
    }
    say("Dump complete: " + std::to_string(data.size()) + " bytes written to "
        + quoted(command.file) + "\n");
    return ExitOk;
}

int serial(const std::string &stateDir)
{
    std::string error;
    if (!ensureStateDir(stateDir, error))
        return fail(ExitFailed, error);
    // Made up once per board folder, then read back, so it stays stable.
    const fs::path path = fs::path(stateDir) / "serial";
    std::string number;
    if (std::FILE *file = std::fopen(path.c_str(), "rb")) {
        char text[16] = {};
        const std::size_t got = std::fread(text, 1, sizeof text - 1, file);
        std::fclose(file);
        number.assign(text, got);
    }
    const bool valid = number.size() == 4
        && std::all_of(number.begin(), number.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!valid) {
        std::random_device seed;
        number = std::to_string(std::uniform_int_distribution<int>(1000, 9999)(seed));
        if (!writeFile(path, number.data(), number.size(), error))
            return fail(ExitFailed, error);
    }
    say("Serial number: " + number + "\n");
    return ExitOk;
}

} // namespace

std::string simulatedStateDirectory()
{
    if (const char *dir = std::getenv("JCP_SIM_STATE_DIR"); dir && *dir)
        return dir;
    // XDG allows only absolute paths here; anything else is ignored.
    if (const char *state = std::getenv("XDG_STATE_HOME"); state && *state == '/')
        return (fs::path(state) / "vantrel-jcp-sim").string();
    if (const char *home = std::getenv("HOME"); home && *home)
        return (fs::path(home) / ".local" / "state" / "vantrel-jcp-sim").string();
    return {};
}

int runSimulatedBoard(const std::vector<std::string> &args, const std::string &stateDir)
{
    say("jcp stand-in: simulated Skunkboard, no hardware is used\n");
    const auto command = parseJcpCommand(args);
    if (!command) {
        fail(ExitUsage, "argument list not understood: " + jsonStringArray(args));
        std::fputs(usageText, stderr);
        return ExitUsage;
    }
    switch (command->kind) {
    case JcpCommand::Kind::Transfer:
        return transfer(*command, stateDir);
    case JcpCommand::Kind::Dump:
        return dump(*command, stateDir);
    case JcpCommand::Kind::Serial:
        return serial(stateDir);
    case JcpCommand::Kind::Update:
        say("Updating the board's firmware\n");
        spin(0);
        say("Firmware update complete\n");
        return ExitOk;
    case JcpCommand::Kind::Reset:
        say("Skunkboard reset\n");
        return ExitOk;
    }
    return ExitFailed;
}
