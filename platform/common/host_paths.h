// Where the running program lives, for the game folder default and the companion programs.
#pragma once
#include <string>

namespace plat::common {

std::string executablePath();  // /proc/self/exe, "" when unreadable
std::string executableDir();   // its folder, without a trailing '/'

}  // namespace plat::common
