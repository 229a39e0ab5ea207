// mapwrite MANIFEST OUT.map   writes the map of a manifest
// mapwrite --list FILE.map    prints what the client's loader reads from a map file
#include <cstdio>
#include <exception>
#include <fstream>
#include <iterator>
#include <string>

#include "tools/mapwrite/mapwrite.h"

int main(int argc, char** argv) {
  try {
    if (argc == 3 && std::string(argv[1]) == "--list") {
      std::ifstream in(argv[2], std::ios::binary);
      if (!in) throw std::runtime_error(std::string("cannot read ") + argv[2]);
      const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
      std::fputs(mapw::map_list(file).c_str(), stdout);
      return 0;
    }
    if (argc != 3) {
      std::fputs("usage: mapwrite MANIFEST OUT.map | mapwrite --list FILE.map\n", stderr);
      return 2;
    }
    const std::vector<uint8_t> bytes = mapw::map_build(mapw::map_from_manifest(argv[1]));
    std::ofstream out(argv[2], std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) throw std::runtime_error(std::string("cannot write ") + argv[2]);
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "mapwrite: %s\n", e.what());
    return 1;
  }
}
