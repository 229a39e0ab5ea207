// mdapack manifest.txt out.mda      builds a media file
// mdapack --list file.mda           lists it through the program's loader
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <stdexcept>

#include "plat/headless.h"
#include "tools/mdawriter/mdapack.h"

namespace {

int usage() {
  std::fprintf(stderr, "usage: mdapack MANIFEST OUT.mda\n       mdapack --list FILE.mda\n");
  return 2;
}

int list(const std::string& file) {
  const std::filesystem::path p = std::filesystem::absolute(file);
  plat::HeadlessOptions o;
  o.gameDir = p.parent_path().string();
  o.watchdog = false;
  plat::installHeadless(o);
  std::fputs(mdaw::mdapack_list(p.filename().string()).c_str(), stdout);
  return 0;
}

int pack(const std::string& manifest, const std::string& out_path) {
  const std::vector<uint8_t> bytes = mdaw::mda_build(mdaw::read_manifest(manifest));
  std::ofstream out(out_path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) throw std::runtime_error("cannot write " + out_path);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    if (argc == 3 && std::string(argv[1]) == "--list") return list(argv[2]);
    if (argc == 3) return pack(argv[1], argv[2]);
    return usage();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "mdapack: %s\n", e.what());
    return 1;
  }
}
