#pragma once
// jexhost --apply and --undo-batch: fleet runs for scripts and cron, without
// a window. They read the servers file (never write it), take the console's
// root folder for the run (a console that holds it makes them refuse), start
// the links as --status does, run the fleet operation and print one line per
// server (see fleet_outcome.h) in the order of the servers.

#include <QTextStream>

#include "host/host_options.h"

namespace jexhost::fleet {

// Exit codes.
inline constexpr int kFleetAllDone = 0;  // every server applied, unchanged or dry-run
inline constexpr int kFleetUsage = 1;    // a usage error, an unreadable file, a console running
inline constexpr int kFleetNotAllDone = 4;

// Runs --apply or --undo-batch, whichever `options` holds; needs an
// application object, not a display.
int runFleetCommand(const HostOptions& options, QTextStream& out, QTextStream& err);

}  // namespace jexhost::fleet
