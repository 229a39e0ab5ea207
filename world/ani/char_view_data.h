// The character view records of a battle control file: the global blocks the battle scene reads
// and the head they came with. The loader rewrites their media numbers into media ids; the
// other bytes are the battle scene's and are kept as read.
#pragma once
#include <cstddef>
#include <cstdint>
#include <vector>

#include "plat/bytes.h"

constexpr size_t ANI_HEAD_SIZE = 40;
constexpr size_t CHAR_VIEW_DATA_SIZE = 532;
constexpr size_t LAYER_VIEW_DATA_SIZE = 16;
constexpr size_t CHAR_VIEW_NAME_SIZE = 256;

struct ANI_CONTROL_HEAD {
  uint8_t magic[20];  // "VORN CONTROL FILE" and a NUL, any ASCII case
  uint32_t type;      // 1
  uint32_t view_frame_count;
  uint32_t unused;
  uint32_t char_count;
  uint32_t layer_count;
};
inline constexpr plat::FieldSpec ANI_HEAD_FIELDS[] = {
    {"magic", 0, 20},           {"type", 20, 4},        {"view frame count", 24, 4},
    {"unused", 28, 4},          {"char count", 32, 4},  {"layer count", 36, 4},
};
static_assert(plat::checkLayout(ANI_HEAD_FIELDS, ANI_HEAD_SIZE));

struct CHAR_VIEW_DATA {
  int32_t media;  // the file's media number, then the loaded media id
  uint8_t battle_head[16];
  uint8_t name[CHAR_VIEW_NAME_SIZE];  // relative to "ANI\", NUL-terminated unless it fills the field
  uint8_t battle_tail[CHAR_VIEW_DATA_SIZE - 20 - CHAR_VIEW_NAME_SIZE];
};
inline constexpr plat::FieldSpec CHAR_VIEW_DATA_FIELDS[] = {
    {"media", 0, 4},
    {"battle head", 4, 16},
    {"name", 20, CHAR_VIEW_NAME_SIZE},
    {"battle tail", 20 + CHAR_VIEW_NAME_SIZE, CHAR_VIEW_DATA_SIZE - 20 - CHAR_VIEW_NAME_SIZE},
};
static_assert(plat::checkLayout(CHAR_VIEW_DATA_FIELDS, CHAR_VIEW_DATA_SIZE));

struct LAYER_VIEW_DATA {
  int32_t media;
  uint8_t battle[12];
};
inline constexpr plat::FieldSpec LAYER_VIEW_DATA_FIELDS[] = {{"media", 0, 4}, {"battle", 4, 12}};
static_assert(plat::checkLayout(LAYER_VIEW_DATA_FIELDS, LAYER_VIEW_DATA_SIZE));

extern ANI_CONTROL_HEAD ani_control_head;  // the head of the last file read
extern std::vector<CHAR_VIEW_DATA> char_view_data;
extern std::vector<LAYER_VIEW_DATA> layer_view_data;

// Field walks shared by the loader and the test writer.
ANI_CONTROL_HEAD ani_head_read(plat::ByteReader& r);
void ani_head_write(plat::ByteWriter& w, const ANI_CONTROL_HEAD& head);
CHAR_VIEW_DATA char_view_read(plat::ByteReader& r);
void char_view_write(plat::ByteWriter& w, const CHAR_VIEW_DATA& rec);
LAYER_VIEW_DATA layer_view_read(plat::ByteReader& r);
void layer_view_write(plat::ByteWriter& w, const LAYER_VIEW_DATA& rec);
