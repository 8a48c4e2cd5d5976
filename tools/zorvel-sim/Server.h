// The simulator's network side: one poll() loop over the listening socket and
// the sessions.
#pragma once

#include "tools/zorvel-sim/Options.h"

namespace zorvel {

// Serves until SIGINT/SIGTERM (or, with --once, until the first session
// ends). Returns the process exit code.
int Serve(const Options& options);

}  // namespace zorvel
