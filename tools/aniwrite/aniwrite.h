// Writes battle control files ("VORN CONTROL FILE") for tests and fuzz seeds; the client only
// reads them.
//
// Manifest of the command, one item a line ('#' starts a comment):
//   type <n>                               the head's type (1 unless given)
//   char <media number> <name>             a character record; name relative to ANI\ (no blanks)
//   layer <media number>                   a layer record
//   frame <first> <v1> .. <v8> [| <n values>] x 7
//                                          a view frame: the first word, eight values, then seven
//                                          tables of equal length each after a '|' (none: n = 0)
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace aniwrite {

struct CharRecord {
  int32_t media = 0;
  std::string name;     // cut to the name field; a name that fills it keeps no NUL
  uint8_t battle_fill = 0;  // the battle scene's bytes
};

struct ViewFrame {
  std::array<int32_t, 9> values{};  // the first word and eight values; the count is the tables' length
  std::array<std::vector<int32_t>, 7> tables;
};

struct ControlFile {
  std::string magic = "VORN CONTROL FILE";
  uint32_t type = 1;
  std::vector<CharRecord> chars;
  std::vector<int32_t> layers;
  std::vector<ViewFrame> frames;
};

// Throws std::invalid_argument when the seven tables of a frame differ in length.
std::vector<uint8_t> build(const ControlFile& file);
// Reads the manifest text; throws std::invalid_argument naming the bad line.
ControlFile parse_manifest(const std::string& text);

}  // namespace aniwrite
