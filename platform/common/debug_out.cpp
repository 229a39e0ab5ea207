// OutputDebugString stand-in: stderr under VELDRA_DEBUG_OUT=1.
#include "common/debug_out.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/common.h"
#include "plat/cp936.h"

namespace plat::common {

void debugOutToStderr(std::string_view text) {
  static const bool enabled = [] {
    const char* v = std::getenv("VELDRA_DEBUG_OUT");
    return v && std::strcmp(v, "1") == 0;
  }();
  if (!enabled) return;
  std::string line = cp936::toUtf8(text);
  if (line.empty() || line.back() != '\n') line += '\n';
  std::fwrite(line.data(), 1, line.size(), stderr);
}

void debugLine(std::string_view textCp936) {
  if (plat::installed()) plat::get().debugOut(textCp936);
  else debugOutToStderr(textCp936);
}

}  // namespace plat::common
