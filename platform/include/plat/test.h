// Hooks for tests: a replaceable process exit, the frame budget's failure, a folder the
// process may not write and the files that reads did not find.
#pragma once
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace plat::test {

// Thrown by IProcess::exit once setExitHandler(true) is in force, after the exit hooks ran.
// Not a std::exception, so guards that catch std::exception let it pass.
struct ExitCalled {
  int code;
};

// Thrown by the headless pump in tests when the frame budget runs out.
struct FrameBudgetExceeded {
  std::string report;
};

// true: IProcess::exit runs the hooks and throws ExitCalled; false: the real _exit.
void setExitHandler(bool throwInstead);
bool exitHandlerSet();

// Makes every file or folder creation whose host path starts with hostPrefix fail with errno
// err, as a folder the user may not write does (also for root, whom permissions do not stop).
// An empty prefix lifts it.
void setCreateFailure(std::string hostPrefix, int err);
// The file system asks before it creates: the errno to fail with, 0 to go ahead.
int createFailure(const std::string& hostPath);
// Permissions do not stop root: a test of a read-only folder skips itself.
bool runningAsRoot();

// Under the headless backend: the game paths (as the game spelled them) whose open for reading
// found no regular file, in order, each once. A fresh headless platform starts an empty list;
// a batch run prints it on stderr at its end, one "[read miss] path" line each.
std::vector<std::string> readMisses();
void clearReadMisses();

// How many folder listings the path resolvers have read from the disk so far.
size_t folderReads();

}  // namespace plat::test
