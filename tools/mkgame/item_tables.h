// The item and scene tables of the sample folder: config/item_bin.cfg and config/scene.bin, a
// 256-byte header, a 32-bit count and the records, little-endian.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "plat/bytes.h"

namespace mkgame {

constexpr size_t kTableHeaderSize = 256;
constexpr size_t kItemRecordSize = 272;
constexpr size_t kSceneRecordSize = 36;

// The item record: a 20-byte head and a 252-byte body (body offsets + 20).
constexpr plat::FieldSpec ITEM_RECORD_FIELDS[] = {
    {"id", 0, 4},           {"amount", 4, 4},          {"icon", 8, 2},          {"head rest", 10, 10},
    {"name", 20, 31},       {"description", 51, 101}, {"highlight", 152, 15}, {"note", 167, 15},
    {"no limit", 182, 2},   {"level", 184, 2},         {"carried 1", 186, 6},   {"gear kind", 192, 2},
    {"races", 194, 2},      {"requirement", 196, 4},   {"durability", 200, 4},  {"carried 2", 204, 4},
    {"effects A", 208, 20}, {"effects B", 228, 20},    {"effects C", 248, 24},
};
static_assert(plat::checkLayout(ITEM_RECORD_FIELDS, kItemRecordSize));

constexpr plat::FieldSpec SCENE_RECORD_FIELDS[] = {{"id", 0, 4}, {"name", 4, 32}};
static_assert(plat::checkLayout(SCENE_RECORD_FIELDS, kSceneRecordSize));

struct ItemRecord {
  uint32_t id = 0;
  int16_t icon = -1;
  std::string name, description;
  int16_t level = 0;
  int16_t gearKind = 0;      // one of the bits 1 to 64; 0 not wearable
  int16_t races = 255;
  uint32_t requirement = 0;  // flags in bits 24 to 28, values in bits 12-23 and 0-11
  uint32_t durability = 0;
  bool mailable = false;     // bit 0x20 of the flag byte (188, among the carried bytes)
};

struct SceneRecord {
  uint32_t id = 0;
  std::string name;  // code page 936, at most 31 bytes
};

// The sample's items: a dozen of each gear kind and the four record-position items.
std::vector<ItemRecord> sampleItems();
// Scene 1 "Demo Town" and a few more.
std::vector<SceneRecord> sampleScenes();

// The files; a text longer than its field throws std::invalid_argument.
std::vector<uint8_t> itemTable(const std::vector<ItemRecord>& items);
std::vector<uint8_t> sceneTable(const std::vector<SceneRecord>& scenes);

}  // namespace mkgame
