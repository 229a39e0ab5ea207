// Paths beside the running program, which is the game folder.
#pragma once
#include <string>
#include <string_view>

namespace updater {

// The game folder's absolute path, a separator, then name; "" gives the folder with its trailing
// separator. The path resolver takes such a path as relative to the game folder. A new string
// each call, so threads may use it at once.
std::string ModulePath(std::string_view name);

}  // namespace updater
