// ShellExecute "open" and WinExec stand-ins: xdg-open and plain programs, never through a shell.
#include "common/common.h"
#include "common/spawn.h"
#include "plat/cp936.h"

namespace plat::common {

namespace {
class PosixShell final : public IShell {
 public:
  int openUrl(std::string_view urlCp936) override {
    ChildSpec c;
    c.program = "xdg-open";
    c.argv = {"xdg-open", cp936::toUtf8(urlCp936)};  // the URL is one argument, whatever it holds
    c.searchPath = true;
    return spawnChild(c) ? 42 : 2;
  }

  int winExec(std::string_view commandCp936, int /*show*/) override {
    std::vector<std::string> args = splitWindowsCommandLine(commandCp936);
    if (args.empty() || args[0].empty()) return 2;
    ChildSpec c;
    for (auto& a : args) c.argv.push_back(cp936::toUtf8(a));
    c.program = c.argv[0];
    c.searchPath = true;
    return spawnChild(c) ? 33 : 2;
  }
};
}  // namespace

std::unique_ptr<IShell> makePosixShell() { return std::make_unique<PosixShell>(); }

}  // namespace plat::common
