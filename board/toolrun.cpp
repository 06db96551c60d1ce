#include "board/toolrun.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>
#include <utility>

namespace {

// How long a tool asked to stop may take to end before it is killed.
constexpr int kStopGraceMs = 2000;
// How long the terminal may stay open after the tool ended, held by a child
// of the tool's, before the run counts as finished anyway.
constexpr int kLastOutputMs = 2000;
// How many times one turn of the event loop reads the terminal empty at
// most, each time up to a pipe's worth.
constexpr int kDrainsPerTurn = 4;

} // namespace

ToolRun::ToolRun(QString program, QObject *parent)
    : QObject(parent)
    , path(std::move(program))
    , process(this)
{
    connect(&process, &QProcess::readyReadStandardOutput, this,
            [this] { emit output(StandardOutput, process.readAllStandardOutput()); });
    connect(&process, &QProcess::readyReadStandardError, this,
            [this] { emit output(StandardError, process.readAllStandardError()); });
    connect(&process, &QProcess::finished, this, &ToolRun::toolEnded);
    lastOutput.setSingleShot(true);
    lastOutput.setInterval(kLastOutputMs);
    connect(&lastOutput, &QTimer::timeout, this, &ToolRun::finish);
}

ToolRun::~ToolRun()
{
    // Whoever listened is being torn down.
    blockSignals(true);
    stop();
}

bool ToolRun::refuseWhileBusy()
{
    if (!busy)
        return false;
    emit notice(tr("The flash tool is still busy with an earlier command; nothing was started."));
    return true;
}

bool ToolRun::start(const QStringList &arguments)
{
    if (refuseWhileBusy())
        return false;
    int slave = -1;
    if (openTerminal(slave)) {
        process.setChildProcessModifier([slave] { ::dup2(slave, STDOUT_FILENO); });
    } else {
        process.setChildProcessModifier({});
    }
    process.start(path, arguments, QIODevice::ReadWrite);
    // Nothing is ever written to the tool: one that reads its input sees the
    // end of it at once instead of waiting forever.
    process.closeWriteChannel();
    // A tool that cannot be started is known at once, before any busy dialog
    // shows for a run that never began.
    const bool started = process.waitForStarted();
    if (slave >= 0)
        ::close(slave);
    if (!started) {
        closeTerminal();
        emit notice(tr("Could not start the flash tool %1: %2")
                        .arg(QDir::toNativeSeparators(path), process.errorString()));
        return false;
    }
    busy = true;
    if (terminal >= 0) {
        terminalReady = new QSocketNotifier(terminal, QSocketNotifier::Read, this);
        connect(terminalReady, &QSocketNotifier::activated, this, &ToolRun::readTerminal);
    }
    return true;
}

void ToolRun::stop()
{
    if (process.state() != QProcess::NotRunning) {
        process.terminate();
        if (!process.waitForFinished(kStopGraceMs)) {
            process.kill();
            process.waitForFinished();
        }
    }
    // The lines the tool completed are in the terminal still.
    const QDeadlineTimer deadline(kLastOutputMs);
    pollfd ready{terminal, POLLIN, 0};
    while (terminal >= 0 && !deadline.hasExpired() && ::poll(&ready, 1, 100) > 0)
        readTerminal();
    finish();
}

bool ToolRun::openTerminal(int &slave)
{
    // Raw: no line ends turned into CR LF, no echo. Neither side goes to the
    // tool as anything but its standard output.
    terminal = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
    char name[128];
    termios mode{};
    if (terminal >= 0 && ::grantpt(terminal) == 0 && ::unlockpt(terminal) == 0
        && ::ptsname_r(terminal, name, sizeof name) == 0) {
        slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (slave >= 0 && ::tcgetattr(slave, &mode) == 0) {
            ::cfmakeraw(&mode);
            if (::tcsetattr(slave, TCSANOW, &mode) == 0)
                return true;
        }
    }
    if (slave >= 0)
        ::close(std::exchange(slave, -1));
    closeTerminal();
    return false;
}

void ToolRun::readTerminal()
{
    // A terminal hands over at most a few KiB a read and holds about 64 KiB.
    // What is there is read in a loop and delivered in one piece. A tool that
    // floods it has written more while the piece was handled, which is read
    // too, a few times a turn: the tool is held back less by a pane still
    // laying out earlier output, and what the pane cannot take at once waits
    // in its bounded queue.
    char bytes[65536];
    for (int drain = 1;; ++drain) {
        size_t total = 0;
        ssize_t count = 0;
        while (total < sizeof bytes
               && (count = ::read(terminal, bytes + total, sizeof bytes - total)) > 0)
            total += size_t(count);
        const int error = errno;
        if (total > 0)
            emit output(StandardOutput, QByteArray(bytes, qsizetype(total)));
        if (terminal < 0)
            return;
        if (count > 0 || (count < 0 && (error == EAGAIN || error == EINTR))) {
            if (total == 0 || drain == kDrainsPerTurn)
                return;
            continue;
        }
        // Every writer has closed it: all the tool printed has been read.
        closeTerminal();
        if (process.state() == QProcess::NotRunning)
            finish();
        return;
    }
}

void ToolRun::closeTerminal()
{
    // Possibly from within its own signal.
    if (terminalReady) {
        terminalReady->setEnabled(false);
        std::exchange(terminalReady, nullptr)->deleteLater();
    }
    if (terminal >= 0)
        ::close(std::exchange(terminal, -1));
}

void ToolRun::toolEnded()
{
    if (terminal < 0)
        finish();
    else
        lastOutput.start();
}

void ToolRun::finish()
{
    lastOutput.stop();
    closeTerminal();
    if (std::exchange(busy, false))
        emit finished();
}
