#include "updater/process_list.h"

#include <climits>
#include <cstdlib>
#include <string>

#include "plat/cp936.h"

namespace updater {

namespace {

// The host path a process of `path` runs from: a Windows program name becomes ours in the same
// folder (alone, beside the running program), then links are followed.
std::string hostExecutable(std::string_view path) {
  const size_t cut = path.find_last_of("\\/");
  const std::string_view folder = cut == std::string_view::npos ? std::string_view{} : path.substr(0, cut + 1);
  const std::string_view base = cut == std::string_view::npos ? path : path.substr(cut + 1);
  std::string host(path);
  if (auto mapped = plat::companionPath(base)) {
    if (folder.empty()) {
      host = *mapped;
    } else {
      host = std::string(folder) + mapped->substr(mapped->find_last_of('/') + 1);
    }
  }
  char real[PATH_MAX];
  if (::realpath(host.c_str(), real)) host = real;
  return host;
}

}  // namespace

int ForEachProcess(std::vector<PROCESS_ENTRY>& list) {
  list.clear();
  auto all = plat::get().process().processList();
  if (!all) return 0;
  list = std::move(*all);
  return 1;
}

int CountProcessesNamed(std::string_view path) {
  std::vector<PROCESS_ENTRY> list;
  if (!ForEachProcess(list)) return 0;
  const std::string want = plat::cp936::asciiLower(hostExecutable(path));
  int count = 0;
  for (const PROCESS_ENTRY& p : list)
    if (plat::cp936::asciiLower(p.exePath) == want) ++count;
  return count;
}

bool IsProcessRunning(std::string_view path) { return CountProcessesNamed(path) > 0; }

}  // namespace updater
