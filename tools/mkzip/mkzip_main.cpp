// mkzip MANIFEST OUT.zip: see mkzip.h for the manifest's lines.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/mkzip/mkzip.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: mkzip MANIFEST OUT.zip\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  if (!in) {
    std::fprintf(stderr, "mkzip: cannot read %s\n", argv[1]);
    return 1;
  }
  std::ostringstream text;
  text << in.rdbuf();
  const std::string manifest = argv[1];
  const size_t cut = manifest.rfind('/');
  const std::string base = cut == std::string::npos ? "." : manifest.substr(0, cut);
  std::string error;
  const auto entries = mkzip::parseManifest(text.str(), base, &error);
  if (!entries || !mkzip::writeZip(argv[2], *entries, &error)) {
    std::fprintf(stderr, "mkzip: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
