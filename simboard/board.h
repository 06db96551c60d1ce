#ifndef VANTREL_SIMBOARD_BOARD_H
#define VANTREL_SIMBOARD_BOARD_H

#include "simboard/commandline.h"

#include <QByteArray>
#include <QString>

// A simulated Skunkboard doing what a command line asks, printing what the
// flash tool prints. Its two flash banks are files in `folder`; its work
// takes `paceMs` per MiB. An absent board is looked for as the tool does,
// `retryMs` apart, and not found.
class Board
{
public:
    Board(QString folder, qint64 paceMs, bool present, qint64 retryMs);

    // The run's exit status: 0 only after a transfer that succeeded.
    int run(const CommandLine &command) const;

private:
    int transfer(const CommandLine &command) const;
    int dump(const CommandLine &command) const;
    int serial() const;
    int update(const CommandLine &command) const;
    int reset() const;
    bool attach() const;
    void work(qint64 bytes, bool quiet) const;
    QByteArray save(const QString &name, const QByteArray &data) const;

    QString folder;
    qint64 paceMs;
    bool present;
    qint64 retryMs;
};

#endif
