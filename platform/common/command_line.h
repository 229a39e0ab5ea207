// Windows command-line text: building it from an argument vector.
#pragma once
#include <string>
#include <vector>

namespace plat::common {

// "argv[0]" then each further argument after one space, quoted when it holds a blank (or is
// empty), so that readers looking for "the text after the last double quote" find the arguments.
std::string formatCommandLine(const std::vector<std::string>& args);

}  // namespace plat::common
