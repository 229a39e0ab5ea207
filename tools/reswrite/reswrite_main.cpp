// reswrite MANIFEST OUT.res      writes a res table from its manifest (see reswrite.h)
#include <cstdio>
#include <exception>

#include "tools/reswrite/reswrite.h"

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: reswrite MANIFEST OUT.res\n");
    return 2;
  }
  try {
    resw::save(argv[2], resw::write_table(resw::read_manifest(argv[1])));
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "reswrite: %s\n", e.what());
    return 1;
  }
}
