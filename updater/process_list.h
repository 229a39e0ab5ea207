// The running processes, for the updater's single-copy rule and its check on the client.
#pragma once
#include <string_view>
#include <vector>

#include "plat/platform.h"

namespace updater {

using PROCESS_ENTRY = plat::ProcessEntry;

// 1 with the list, or 0 with an empty list when it cannot be built.
int ForEachProcess(std::vector<PROCESS_ENTRY>& list);
// Processes whose executable is `path`: both sides as real paths, ASCII case ignored, the
// Windows program names mapped ("main.exe" is `main`). 0 when the list cannot be built.
int CountProcessesNamed(std::string_view path);
bool IsProcessRunning(std::string_view path);

}  // namespace updater
