// For tools without a window: SIGTERM and SIGINT set a flag that the tool's loop checks, so that
// it ends the way it ends on its own (files written, sockets closed).
#pragma once

namespace plat::termination {

// Installs the handlers (without SA_RESTART, so a blocking wait returns early). Once per process.
void catchSignals();
bool requested();

}  // namespace plat::termination
