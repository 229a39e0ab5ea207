// The updater's process start: the game folder as the working folder, no SIGPIPE.
#include <signal.h>
#include <unistd.h>

#include "plat/platform.h"

namespace plat {

bool enterGameFolder() {
  signal(SIGPIPE, SIG_IGN);
  return chdir(get().files().gameDir().c_str()) == 0;
}

}  // namespace plat
