#include "jcpcommand.h"

#include <cctype>
#include <cstddef>
#include <limits>

namespace {

const char *const transferFlags[] = {"-n", "-o", "-2", "-6", "-w", "-f"};
constexpr std::size_t transferFlagCount = sizeof(transferFlags) / sizeof(transferFlags[0]);

bool &flagField(JcpCommand &command, std::size_t index)
{
    switch (index) {
    case 0:
        return command.skipBoot;
    case 1:
        return command.overrideAddr;
    case 2:
        return command.bank2;
    case 3:
        return command.sixMeg;
    case 4:
        return command.wordFlash;
    default:
        return command.flash;
    }
}

// The tail after the flags: [-h SKIP] FILE [ADDRESS].
bool matchTail(const std::vector<std::string> &args, std::size_t pos, JcpCommand &command)
{
    const std::size_t rest = args.size() - pos;
    const std::size_t needed = 1 + (command.overrideAddr ? 1 : 0);
    if (rest == needed + 2 && args[pos] == "-h") {
        command.headerSkip = true;
        command.skip = args[pos + 1];
        pos += 2;
    } else if (rest == needed) {
        command.headerSkip = false;
        command.skip.clear();
    } else {
        return false;
    }
    command.file = args[pos];
    command.address = command.overrideAddr ? args[pos + 1] : std::string();
    // Bank choice and word mode only mean something for flash, and the bank
    // buttons exclude each other.
    if ((command.bank2 || command.sixMeg || command.wordFlash) && !command.flash)
        return false;
    return !(command.bank2 && command.sixMeg);
}

bool matchFlags(const std::vector<std::string> &args, std::size_t pos, std::size_t flag,
                JcpCommand &command)
{
    if (flag == transferFlagCount)
        return matchTail(args, pos, command);
    bool &field = flagField(command, flag);
    if (pos < args.size() && args[pos] == transferFlags[flag]) {
        field = true;
        if (matchFlags(args, pos + 1, flag + 1, command))
            return true;
    }
    field = false;
    return matchFlags(args, pos, flag + 1, command);
}

} // namespace

std::optional<JcpCommand> parseJcpCommand(const std::vector<std::string> &args)
{
    JcpCommand command;
    if (args.size() == 1 && args[0] == "-r") {
        command.kind = JcpCommand::Kind::Reset;
        return command;
    }
    if (args.empty() || args[0] != "-q")
        return std::nullopt;
    if (args.size() == 2 && args[1] == "-s") {
        command.kind = JcpCommand::Kind::Serial;
        return command;
    }
    if (args.size() == 2 && args[1] == "-u") {
        command.kind = JcpCommand::Kind::Update;
        return command;
    }
    if (args.size() == 3 && (args[1] == "-d" || args[1] == "-d2")) {
        command.kind = JcpCommand::Kind::Dump;
        command.bank = args[1] == "-d" ? 1 : 2;
        command.file = args[2];
        return command;
    }
    command.kind = JcpCommand::Kind::Transfer;
    if (matchFlags(args, 1, 0, command))
        return command;
    return std::nullopt;
}

std::optional<std::uint64_t> parseSkipCount(const std::string &text)
{
    if (text.empty())
        return std::nullopt;
    std::uint64_t value = 0;
    constexpr std::uint64_t max = std::numeric_limits<std::uint64_t>::max();
    for (const char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        const unsigned digit = static_cast<unsigned>(c - '0');
        value = value > (max - digit) / 10 ? max : value * 10 + digit;
    }
    return value;
}

std::optional<std::uint32_t> parseAddress(const std::string &text)
{
    std::uint64_t value = 0;
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        for (std::size_t i = 2; i < text.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(text[i]);
            if (!std::isxdigit(c))
                return std::nullopt;
            const unsigned digit = std::isdigit(c) ? c - '0' : std::tolower(c) - 'a' + 10;
            value = value * 16 + digit;
            if (value > std::numeric_limits<std::uint32_t>::max())
                return std::nullopt;
        }
        return static_cast<std::uint32_t>(value);
    }
    if (text.empty())
        return std::nullopt;
    for (const char c : text) {
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > std::numeric_limits<std::uint32_t>::max())
            return std::nullopt;
    }
    return static_cast<std::uint32_t>(value);
}
