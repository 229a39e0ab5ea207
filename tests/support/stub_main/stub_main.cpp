// A stand-in client for the updater's tests, copied in as `main`. It reads the hand-over pipe
// named by VELDRA_STARTUP_X until end of file, then writes into its own folder:
//   lines.bin   the bytes read
//   launch.txt  "fd N", "x X", "y Y", "args A B ...", "open 0 1 2 3 ..." (descriptors open at start)
// "--sleep MS" as the first argument makes it only wait (a running client for process lookups).
#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "plat/handover.h"

namespace fs = std::filesystem;

namespace {

std::vector<int> openDescriptors() {
  std::vector<int> out;
  std::error_code ec;
  // The listing's own descriptor shows too: it names the listed folder.
  for (const auto& e : fs::directory_iterator("/proc/self/fd", ec)) {
    const std::string target = fs::read_symlink(e.path(), ec).string();
    if (target.rfind("/proc/", 0) == 0 && target.size() > 3 && target.compare(target.size() - 3, 3, "/fd") == 0) continue;
    out.push_back(std::atoi(e.path().filename().c_str()));
  }
  std::sort(out.begin(), out.end());
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<int> open = openDescriptors();
  if (argc >= 3 && std::string(argv[1]) == "--sleep") {
    std::this_thread::sleep_for(std::chrono::milliseconds(std::atoi(argv[2])));
    return 0;
  }
  const std::string self = argv[0];
  const fs::path folder = self.find('/') != std::string::npos ? fs::path(self).parent_path() : fs::current_path();
  const char* xs = std::getenv("VELDRA_STARTUP_X");
  const char* ys = std::getenv("VELDRA_STARTUP_Y");
  const int fd = xs ? std::atoi(xs) : -1;

  std::string bytes;
  if (fd > 0) {
    plat::HandoverReader reader(fd);
    std::vector<uint8_t> buffer(plat::HANDOVER_READ_SIZE);
    for (;;) {
      const long n = reader.read(buffer);
      if (n <= 0) break;
      bytes.append(reinterpret_cast<const char*>(buffer.data()), static_cast<size_t>(n));
    }
  }
  std::ofstream(folder / "lines.bin", std::ios::binary) << bytes;
  std::ofstream launch(folder / "launch.txt");
  launch << "fd " << fd << "\nx " << (xs ? xs : "") << "\ny " << (ys ? ys : "") << "\nargs";
  for (int i = 1; i < argc; ++i) launch << ' ' << argv[i];
  launch << "\nopen";
  for (int d : open) launch << ' ' << d;
  launch << "\n";
  return 0;
}
