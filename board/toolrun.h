#ifndef VANTREL_TOOLRUN_H
#define VANTREL_TOOLRUN_H

#include <QByteArray>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <cstdint>

class QSocketNotifier;

// One run of the flash tool at a time, from its start to the last of its
// output. The tool's standard output is a terminal of Vantrel's, so that the
// C library writes each line as the tool prints it instead of all at the
// end; standard error stays a pipe. Where no terminal can be had, standard
// output is a pipe too. The terminal is not the tool's controlling one:
// closing it never signals the tool.
class ToolRun : public QObject
{
    Q_OBJECT

public:
    enum Channel : std::uint8_t { StandardOutput, StandardError };

    explicit ToolRun(QString program, QObject *parent = nullptr);
    ~ToolRun() override;

    // From the start until the last output has been delivered.
    bool isBusy() const { return busy; }
    // True, with a notice, when a run is still going.
    bool refuseWhileBusy();
    // False, with a notice, when refused or when the tool could not be
    // started; then no busy time begins and finished() does not follow.
    bool start(const QStringList &arguments);
    // Asks the tool to end, kills it after a grace time, and delivers every
    // line it printed before finished() and returning.
    void stop();

signals:
    void output(int channel, const QByteArray &bytes);
    // Vantrel's own words about a run: refused, or failed to start.
    void notice(const QString &text);
    // The tool has ended and all it printed has been delivered.
    void finished();

private:
    bool openTerminal(int &slave);
    void readTerminal();
    void closeTerminal();
    void toolEnded();
    void finish();

    QString path;
    QProcess process;
    bool busy = false;
    int terminal = -1;
    QSocketNotifier *terminalReady = nullptr;
    // The tool's own children may keep the terminal open after it ended.
    QTimer lastOutput;
};

#endif
