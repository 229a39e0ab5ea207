// Debugger output from platform code that may run before a platform is installed.
#pragma once
#include <string_view>

namespace plat::common {

// The installed platform's debugOut, else debugOutToStderr.
void debugLine(std::string_view textCp936);

}  // namespace plat::common
