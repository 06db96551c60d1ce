// A stand-in for the Skunkboard flash tool: it simulates a board whose two
// flash banks are files, for development and tests on machines without the
// hardware. Environment variables let tests record and steer its runs.

#include "jcpboard.h"
#include "jcprecord.h"

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace {

std::optional<long> parseNumber(const char *text, bool allowNegative)
{
    if (!text || !*text)
        return std::nullopt;
    char *end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (*end != '\0' || errno != 0 || (!allowNegative && value < 0) || text[0] == ' '
        || text[0] == '+')
        return std::nullopt;
    return value;
}

void writeVerbatim(std::FILE *stream, const char *text)
{
    if (text && *text)
        std::fwrite(text, 1, std::strlen(text), stream);
    std::fflush(stream);
}

} // namespace

int main(int argc, char *argv[])
{
    // Unbuffered, so every piece of output leaves in one write of its own.
    std::setvbuf(stdout, nullptr, _IONBF, 0);
    std::setvbuf(stderr, nullptr, _IONBF, 0);

    const std::vector<std::string> args(argv + 1, argv + argc);

    if (const char *record = std::getenv("JCP_SIM_RECORD"); record && *record) {
        if (!appendLine(record, jsonStringArray(args)))
            std::fprintf(stderr, "jcp: cannot record the arguments in '%s': %s\n", record,
                         std::strerror(errno));
    }

    if (const char *sleep = std::getenv("JCP_SIM_SLEEP_MS"); sleep && *sleep) {
        const auto ms = parseNumber(sleep, false);
        if (!ms) {
            std::fprintf(stderr, "jcp: JCP_SIM_SLEEP_MS '%s' is not a number of milliseconds\n",
                         sleep);
            return ExitUsage;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(*ms));
    }

    const char *fakeOut = std::getenv("JCP_SIM_STDOUT");
    const char *fakeErr = std::getenv("JCP_SIM_STDERR");
    const char *fakeExit = std::getenv("JCP_SIM_EXIT");
    if (fakeOut || fakeErr || fakeExit) {
        std::optional<long> code = 0;
        if (fakeExit && *fakeExit) {
            code = parseNumber(fakeExit, true);
            if (!code) {
                std::fprintf(stderr, "jcp: JCP_SIM_EXIT '%s' is not an exit code\n", fakeExit);
                return ExitUsage;
            }
        }
        writeVerbatim(stdout, fakeOut);
        writeVerbatim(stderr, fakeErr);
        return static_cast<int>(*code);
    }

    return runSimulatedBoard(args, simulatedStateDirectory());
}
