// Programs that a test starts and must stop again, always by the process id its start gave.
#pragma once
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace veldra_test {

// Starts a host program (argv[0] = program) with these variables set over ours; the process id
// or -1. The child is ours to wait for.
// With stderrPath set, its standard error goes to that host file.
int startProcess(const std::string& program, const std::vector<std::string>& args,
                 const std::vector<std::pair<std::string, std::string>>& env = {},
                 const std::string& stderrPath = {});
// Its exit status (128 + signal), or nullopt when it still runs after timeoutMs.
std::optional<int> waitProcess(int pid, int timeoutMs);
// True while the process exists (a child not yet waited for counts as ended).
bool processAlive(int pid);
// SIGKILL to that one process id; a child of ours is then reaped.
void stopProcess(int pid);

}  // namespace veldra_test
