// Hooks for tests: a replaceable process exit and the frame budget's failure.
#pragma once
#include <functional>
#include <string>

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

}  // namespace plat::test
