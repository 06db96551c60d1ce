// A stand-in for the Skunkboard flash tool: it reads its arguments and
// prints what the tool prints, at the tool's pace, with a simulated board
// whose two flash banks are files, for development and tests on machines
// without the hardware. Environment settings let tests record, pace, hold
// and steer its runs.

#include "simboard/board.h"
#include "simboard/commandline.h"
#include "simboard/testcontrols.h"

#include <cstdio>

// Standard output stays the C library's, buffered as the tool's is: fully
// on a pipe, by line on a terminal.
int main(int argc, char *argv[])
{
    const QList<QByteArray> args(argv + 1, argv + argc);
    const TestControls controls;
    controls.record(args);
    if (const QString problem = controls.problem(); !problem.isEmpty()) {
        std::fprintf(stderr, "jcp: %s\n", qPrintable(problem));
        return 2;
    }
    if (controls.replacesRun())
        return controls.replaceRun();

    std::fputs(controls.boardPresent()
                   ? "jcp stand-in, simulated Skunkboard: no hardware is used\n\n"
                   : "jcp stand-in, simulated Skunkboard: not attached (JCP_SIM_NO_BOARD=1)\n\n",
               stdout);
    controls.hold();
    controls.flood();
    const CommandLine command(args);
    std::fwrite(command.said.constData(), 1, static_cast<size_t>(command.said.size()), stdout);
    if (command.finished)
        return 1;
    return Board(controls.boardFolder(), controls.paceMs(), controls.boardPresent(),
                 controls.retryMs())
        .run(command);
}
