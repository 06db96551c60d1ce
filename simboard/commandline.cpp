#include "simboard/commandline.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <limits>

namespace {

// The tool keeps a path in a buffer of 256 bytes.
constexpr qsizetype pathBytes = 255;

const char usageText[] = "* Usage: jcp [-rewfnbocdsux] file [$base]\n"
                         "  (this stand-in reads the letters q r s u d 2 6 w f n o h)\n"
                         "  -q          quiet: no spinner\n"
                         "  -r          reset the Jaguar\n"
                         "  -s          read the board's serial number\n"
                         "  -u          update the board's firmware\n"
                         "  -d          dump flash bank 1 (with -2, bank 2) into file\n"
                         "  -f          write file into flash instead of RAM\n"
                         "  -2          flash bank 2\n"
                         "  -6          6MB mode: flash banks 1 and 2 as one\n"
                         "  -w          slow (word) flash\n"
                         "  -n          load without starting\n"
                         "  -o          the address after file is read with or without it\n"
                         "  -h count    skip count header bytes of file\n"
                         "  $base       load address, $hex or 0xhex: $4000 unless given, $802000\n"
                         "              for an image with a cartridge header\n";

} // namespace

CommandLine::CommandLine(const QList<QByteArray> &args)
{
    int words = 0;
    for (qsizetype at = 0; at < args.size() && !finished; ++at) {
        const QByteArray &arg = args.at(at);
        if (!arg.startsWith('-')) {
            if (words == 0)
                file = arg.left(pathBytes);
            else if (words == 1)
                readAddress(arg);
            ++words;
            continue;
        }
        for (qsizetype letter = 1; letter < arg.size() && !finished; ++letter)
            readLetter(arg.at(letter), args, at);
    }
    const bool needsFile = action == Action::Transfer || action == Action::Dump;
    if (!finished && needsFile && !file)
        stop(usageText);
}

void CommandLine::readLetter(char letter, const QList<QByteArray> &args, qsizetype &at)
{
    switch (letter) {
    case 'q':
        quiet = true;
        break;
    case 'r':
        action = Action::Reset;
        break;
    case 's':
        action = Action::Serial;
        break;
    case 'u':
        action = Action::Update;
        break;
    case 'd':
        action = Action::Dump;
        break;
    case '2':
        bank = Bank::Two;
        said += "Using bank 2\n";
        break;
    case '6':
        bank = Bank::Both;
        said += "Using 6MB flash mode\n";
        break;
    case 'w':
        wordFlash = true;
        break;
    case 'f':
        flash = true;
        break;
    case 'n':
        noBoot = true;
        break;
    case 'o': // the address after the file is taken with or without it
        break;
    case 'h':
        // The count is the next argument, whatever it looks like.
        if (++at < args.size())
            headerSkip = std::atoi(args.at(at).constData());
        break;
    default:
        stop("* Unknown option\n");
    }
}

void CommandLine::readAddress(const QByteArray &text)
{
    const qsizetype prefix = text.startsWith('$') ? 1 : text.startsWith("0x") ? 2 : 0;
    if (prefix == 0)
        return stop("Could not parse address '" + text
                    + "'\n* Address must start with '$' or 0x. (Linux may require '\\$')\n");
    // Hex digits up to the first other character; a value past 32 bits stays
    // at the largest.
    quint64 value = 0;
    qsizetype at = prefix;
    for (; at < text.size() && std::isxdigit(static_cast<unsigned char>(text.at(at))); ++at) {
        const int c = std::tolower(static_cast<unsigned char>(text.at(at)));
        const quint64 digit = c <= '9' ? c - '0' : c - 'a' + 10;
        value = std::min<quint64>(value * 16 + digit, std::numeric_limits<quint32>::max());
    }
    if (at == prefix)
        return stop("Could not scan address '" + text + "'\n* Failed to parse address..\n");
    address = static_cast<quint32>(value);
}

void CommandLine::stop(const QByteArray &text)
{
    said += text;
    finished = true;
}
