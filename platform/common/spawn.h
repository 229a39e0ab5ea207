// Starting child processes without a shell; both the shell stand-in and IProcess use it.
#pragma once
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace plat::common {

struct ChildSpec {
  std::string program;                // a path, or a name looked up on PATH when searchPath
  std::vector<std::string> argv;      // argv[0] included
  std::vector<std::pair<std::string, std::string>> env;  // set over our environment
  int inheritFd = -1;                 // becomes descriptor 3 in the child
  bool searchPath = false;
  bool waitable = false;              // not reaped in the background: the caller waits for it
};

// posix_spawn; the child is reaped by a detached waiter so no zombie is left. The process id,
// or nullopt with *error set.
std::optional<int> spawnChild(const ChildSpec& spec, std::string* error = nullptr);

}  // namespace plat::common
