// mkpak OUT.pak MANIFEST [--raw]: packs the manifest's files into a PAK archive (tests only).
#include <cstdio>
#include <cstring>
#include <string>

#include "tools/mkpak/mkpak.h"

int main(int argc, char** argv) {
  const bool raw = argc == 4 && std::strcmp(argv[3], "--raw") == 0;
  if (argc != 3 && !raw) {
    std::fprintf(stderr, "usage: mkpak OUT.pak MANIFEST [--raw]\n  MANIFEST lines: NAME<TAB>SOURCE\n");
    return 2;
  }
  std::string error;
  if (!mkpak::packManifest(argv[1], argv[2], raw, error)) {
    std::fprintf(stderr, "mkpak: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
