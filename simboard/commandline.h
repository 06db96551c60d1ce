#ifndef VANTREL_SIMBOARD_COMMANDLINE_H
#define VANTREL_SIMBOARD_COMMANDLINE_H

#include <QByteArray>
#include <QList>

#include <cstdint>
#include <optional>

// An argument list as the flash tool reads it: an argument that begins with
// "-" is a set of one-letter flags, read letter by letter; the first other
// argument is the file, the next one the load address. The tool prints some
// notes while it reads, and stops at the first thing it cannot read.
class CommandLine
{
public:
    enum class Action : std::uint8_t { Transfer, Reset, Serial, Update, Dump };
    enum class Bank : std::uint8_t { One, Two, Both };

    explicit CommandLine(const QList<QByteArray> &args);

    Action action = Action::Transfer;
    Bank bank = Bank::One;
    bool quiet = false;
    bool flash = false;
    bool wordFlash = false;
    bool noBoot = false;
    // As C's atoi reads it; 0 or below asks for nothing.
    int headerSkip = 0;
    // The image, or the dump's target.
    std::optional<QByteArray> file;
    std::optional<quint32> address;
    // What reading printed, in order.
    QByteArray said;
    // Reading ended the run, which then exits with 1.
    bool finished = false;

private:
    void readLetter(char letter, const QList<QByteArray> &args, qsizetype &at);
    void readAddress(const QByteArray &text);
    void stop(const QByteArray &text);
};

#endif
