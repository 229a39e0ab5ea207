#include "client/state/map_record.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "client/game/frame_input.h"
#include "core/reset/module_resets.h"
#include "plat/cp936.h"

MAP_STATE map_state = {};
std::vector<int32_t> map_npcs;

namespace {

// A file name from a number; one that would not fit its field stays empty rather than cut.
void format_name(char (&out)[MAP_FILE_NAME_SIZE], const char* format, int32_t number) {
  char wide[32];
  const int n = std::snprintf(wide, sizeof wide, format, number);
  if (n < 0 || n >= MAP_FILE_NAME_SIZE) {
    out[0] = '\0';
    return;
  }
  std::memcpy(out, wide, static_cast<size_t>(n) + 1);
}

}  // namespace

void map_record_store(const SCENE_MAP_RECORD& record) {
  map_state.scene_start_time = frame_input.frame_time;
  map_state.scene_loaded = 0;
  map_state.session_word = 0;

  std::string_view name(record.name, SCENE_MAP_RECORD_NAME_SIZE);
  name = name.substr(0, name.find('\0'));
  const size_t keep = plat::cp936::wholeLength(name, MAP_DISPLAY_NAME_SIZE - 1);
  std::memcpy(map_state.display_name, name.data(), keep);
  map_state.display_name[keep] = '\0';

  format_name(map_state.map_file, "MAP%03d.MAP", record.map_number);
  format_name(map_state.music_files[0], "MUS%03d.MP3", record.music_number);
  format_name(map_state.music_files[1], "MUS%03d.mp3", record.music2_number);
  format_name(map_state.music_files[2], "MUS%03d.mp3", record.music3_number);
  const int32_t second = record.music2_value < 0 ? 0 : record.music2_value;
  map_state.music_values[0] = record.music_value;
  map_state.music_values[1] = second;
  map_state.music_values[2] = second;

  std::memcpy(map_state.values, record.values, sizeof map_state.values);
  std::memcpy(map_state.block_60, record.block_60, sizeof map_state.block_60);
  std::memcpy(map_state.block_88, record.block_88, sizeof map_state.block_88);
}

uint32_t map_state_char_id() { return static_cast<uint32_t>(map_state.block_88[0]); }

std::string map_state_char_name() {
  // The block holds the record's bytes as little-endian words.
  std::string name;
  for (int32_t i = 0; i < MAP_CHAR_NAME_SIZE; ++i) {
    const int32_t at = MAP_CHAR_NAME_OFFSET + i;
    const char c = static_cast<char>((static_cast<uint32_t>(map_state.block_88[at / 4]) >> (8 * (at % 4))) & 0xFF);
    if (c == '\0') break;
    name.push_back(c);
  }
  // A name that fills its field ends on a whole character.
  name.resize(plat::cp936::wholeLength(name, MAP_CHAR_NAME_SIZE - 1));
  return name;
}

static const ModuleReset k_reset("map state", [] {
  map_state = {};
  map_npcs.clear();
});
