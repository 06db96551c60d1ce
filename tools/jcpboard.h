#ifndef VANTREL_JCPBOARD_H
#define VANTREL_JCPBOARD_H

#include "jcpcommand.h"

#include <string>
#include <vector>

// Exit codes of the simulated board.
enum JcpExit { ExitOk = 0, ExitFailed = 1, ExitUsage = 2 };

// Carries out one command on the simulated board whose state lives in
// `stateDir` (empty when no folder could be determined) and returns the exit
// code. `args` is the raw argument list, quoted back in the usage error.
int runSimulatedBoard(const std::vector<std::string> &args, const std::string &stateDir);

// The board's state folder: JCP_SIM_STATE_DIR, else under XDG_STATE_HOME,
// else under ~/.local/state; empty when none of them is set.
std::string simulatedStateDirectory();

#endif
