// Names the calling thread for debuggers and process listings (cut to 15 bytes).
#pragma once
#include <string_view>

namespace plat {
void setCurrentThreadName(std::string_view name);
}  // namespace plat
