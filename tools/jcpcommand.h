#ifndef VANTREL_JCPCOMMAND_H
#define VANTREL_JCPCOMMAND_H

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// One argument list the stand-in flash tool understands, taken apart.
struct JcpCommand
{
    enum class Kind { Transfer, Reset, Serial, Update, Dump };

    Kind kind = Kind::Transfer;

    // Transfer
    bool skipBoot = false; // -n
    bool overrideAddr = false; // -o, with `address` as the last argument
    bool bank2 = false; // -2
    bool sixMeg = false; // -6
    bool wordFlash = false; // -w
    bool flash = false; // -f
    bool headerSkip = false; // -h, with `skip` as its value
    std::string skip;
    std::string file;
    std::string address;

    // Dump: bank 1 ("-d") or 2 ("-d2") into `file`
    int bank = 1;
};

// Matches the arguments (without the program name) against the six lists the
// front end passes; nothing when they form none of them. A transfer's file
// may itself look like a flag, so the flags are tried greedily with
// backtracking rather than scanned once.
std::optional<JcpCommand> parseJcpCommand(const std::vector<std::string> &args);

// A header skip count: a non-negative decimal number. Counts too large for
// 64 bits come back as UINT64_MAX, which no file reaches.
std::optional<std::uint64_t> parseSkipCount(const std::string &text);

// A load address as the front end prints it ("0x%x"), or decimal; 32 bits.
std::optional<std::uint32_t> parseAddress(const std::string &text);

#endif
