// A stand-in program for the updater's tests, built as `stub_replaceself` and `stub_update`:
// it appends one line to "runs.txt" in its own folder and ends with 0:
//   <STUB_NAME> pid <own id> args <argv[1]> <argv[2]> ...
// "--sleep MS" as the only arguments makes it wait that long first (a program still running).
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>

namespace fs = std::filesystem;

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--sleep")
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[2])));
  std::error_code ec;
  const fs::path self = fs::read_symlink("/proc/self/exe", ec);
  const std::string pid = fs::read_symlink("/proc/self", ec).string();
  std::ofstream out(self.parent_path() / "runs.txt", std::ios::app);
  out << STUB_NAME << " pid " << pid << " args";
  for (int i = 1; i < argc; ++i) out << ' ' << argv[i];
  out << '\n';
  return 0;
}
