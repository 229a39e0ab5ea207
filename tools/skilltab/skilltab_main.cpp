// skilltab OUT.cpp [OUT.bin]: writes the placeholder skill-level table as the engine's constant
// byte array (and, when asked, as a raw file).
#include <cstdio>
#include <fstream>

#include "tools/skilltab/skilltab.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: skilltab OUT.cpp [OUT.bin]\n");
    return 2;
  }
  const std::vector<uint8_t> bytes = skilltab::table_bytes();
  std::ofstream cpp(argv[1]);
  cpp << "// Written by tools/skilltab: placeholder data, not the game's table.\n"
      << "#include \"engine/skill_level/skill_level.h\"\n\n"
      << "const uint8_t skill_level_table_bytes[SKILL_LEVEL_TABLE_BYTES] = {\n";
  for (size_t i = 0; i < bytes.size(); ++i) cpp << unsigned(bytes[i]) << (i % 28 == 27 ? ",\n" : ",");
  cpp << "};\n";
  if (!cpp) {
    std::fprintf(stderr, "skilltab: cannot write %s\n", argv[1]);
    return 1;
  }
  if (argc == 3) {
    std::ofstream bin(argv[2], std::ios::binary);
    bin.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!bin) return 1;
  }
  return 0;
}
