#ifndef VANTREL_SIMBOARD_TESTCONTROLS_H
#define VANTREL_SIMBOARD_TESTCONTROLS_H

#include <QByteArray>
#include <QList>
#include <QString>

// The environment settings (JCP_SIM_*) that tests and developers steer the
// stand-in with: where the board keeps its state, whether it is attached,
// how fast it works, and runs recorded, held, flooded or replaced.
class TestControls
{
public:
    TestControls();

    // Empty when every setting is usable, else what is wrong.
    QString problem() const { return wrong; }
    QString boardFolder() const { return folder; }
    bool boardPresent() const { return present; }
    qint64 paceMs() const { return pace; }
    qint64 retryMs() const { return retry; }

    // JCP_SIM_RECORD: the arguments as one line of a JSON array.
    void record(const QList<QByteArray> &args) const;
    // JCP_SIM_STDOUT, JCP_SIM_STDERR and JCP_SIM_EXIT replace the run.
    bool replacesRun() const { return replaced; }
    int replaceRun() const;
    // JCP_SIM_HOLD: waits until that file exists.
    void hold() const;
    // JCP_SIM_FLOOD_STDOUT and JCP_SIM_FLOOD_STDERR.
    void flood() const;

private:
    QString wrong;
    QString folder;
    bool present = true;
    qint64 pace = 800;
    qint64 retry = 1000;
    bool replaced = false;
    int exitCode = 0;
    qint64 floodBytes[2] = {0, 0};
};

#endif
