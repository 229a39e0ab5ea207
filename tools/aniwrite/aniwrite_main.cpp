// aniwrite MANIFEST OUT: writes a battle control file from a manifest (see aniwrite.h).
#include <fstream>
#include <iostream>
#include <sstream>

#include "tools/aniwrite/aniwrite.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: aniwrite MANIFEST OUT\n";
    return 2;
  }
  std::ifstream in(argv[1]);
  if (!in) {
    std::cerr << "aniwrite: cannot read " << argv[1] << "\n";
    return 1;
  }
  std::stringstream text;
  text << in.rdbuf();
  try {
    const std::vector<uint8_t> bytes = aniwrite::build(aniwrite::parse_manifest(text.str()));
    std::ofstream out(argv[2], std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
      std::cerr << "aniwrite: cannot write " << argv[2] << "\n";
      return 1;
    }
  } catch (const std::exception& e) {
    std::cerr << "aniwrite: " << e.what() << "\n";
    return 1;
  }
  return 0;
}
