// Stands in for the flash tool in bench_relay: ignores its arguments and
// writes 4 MB of progress output to stdout as fast as it can, 80-column
// lines of text and a spinner drawn with "|/-\" and backspaces, each line
// written on its own the way a tool that shows progress flushes it.

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <unistd.h>

namespace {

constexpr int kLineLength = 80;
constexpr int kLines = 4 * 1024 * 1024 / kLineLength;

std::string progressLine(int index)
{
    char prefix[48];
    std::snprintf(prefix, sizeof prefix, "Sending block %05d of %05d ", index + 1, kLines);
    std::string line = prefix;
    const char spinner[] = {'|', '/', '-', '\\'};
    for (int step = 0; line.size() + 2 <= kLineLength - 6; ++step) {
        line += spinner[(index + step) % 4];
        line += '\b';
    }
    line += " ok";
    line.resize(kLineLength - 1, ' ');
    line += '\n';
    return line;
}

bool writeAll(const char *data, std::size_t size)
{
    while (size > 0) {
        const ssize_t written = write(STDOUT_FILENO, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

} // namespace

int main()
{
    for (int index = 0; index < kLines; ++index) {
        const std::string line = progressLine(index);
        if (!writeAll(line.data(), line.size())) {
            std::fprintf(stderr, "jcp: cannot write progress: %s\n", std::strerror(errno));
            return 1;
        }
    }
    return 0;
}
