// The item and scene tables, field by field at the offsets of their field tables.
#include "tools/mkgame/item_tables.h"

#include <stdexcept>

#include "items/item_def/item_def.h"

namespace mkgame {

namespace {

static_assert(kItemRecordSize == ITEM_DEF_SIZE);
// The flag byte is one of the carried bytes between the level and the gear kind.
static_assert(plat::fieldOffset(ITEM_RECORD_FIELDS, "carried 1") < ITEM_DEF_FLAG_BYTE &&
              ITEM_DEF_FLAG_BYTE < plat::fieldOffset(ITEM_RECORD_FIELDS, "gear kind"));

template <size_t N>
size_t at(const plat::FieldSpec (&fields)[N], std::string_view name) {
  return plat::fieldOffset(fields, name);
}

void putLe(std::vector<uint8_t>& out, size_t offset, uint64_t v, size_t width) {
  for (size_t i = 0; i < width; ++i) out[offset + i] = static_cast<uint8_t>(v >> (8 * i));
}

// A NUL-terminated text in a field of width bytes.
void putText(std::vector<uint8_t>& out, size_t offset, const std::string& s, size_t width) {
  if (s.size() >= width) throw std::invalid_argument("text too long for its field: " + s);
  std::copy(s.begin(), s.end(), out.begin() + static_cast<std::ptrdiff_t>(offset));
}

std::vector<uint8_t> tableHead(size_t count, size_t recordSize) {
  std::vector<uint8_t> out(kTableHeaderSize + 4 + count * recordSize, 0);
  putLe(out, kTableHeaderSize, count, 4);
  return out;
}

// Two requirement values: level first, then one of the stats (bit 25 + stat).
uint32_t requirement(int level, int stat, int value) {
  return (1u << 24) | (1u << (25 + stat)) | (static_cast<uint32_t>(level) << 12) | static_cast<uint32_t>(value);
}

}  // namespace

std::vector<ItemRecord> sampleItems() {
  const char* const kinds[7] = {"Helm", "Armour", "Blade", "Shield", "Boots", "Ring", "Amulet"};
  std::vector<ItemRecord> out;
  for (int k = 0; k < 7; ++k) {
    for (int n = 1; n <= 12; ++n) {
      ItemRecord r;
      r.id = static_cast<uint32_t>(1000 * (k + 1) + n);
      r.icon = static_cast<int16_t>(k * 12 + n - 1);
      r.name = std::string(kinds[k]) + " " + std::to_string(n);
      r.description = "A sample " + std::string(kinds[k]) + " of grade " + std::to_string(n) + ".";
      r.level = static_cast<int16_t>(n * 5);
      r.gearKind = static_cast<int16_t>(1 << k);
      r.races = 255;
      r.requirement = requirement(n * 5, n % 4, n * 3);
      r.durability = (1u << 16) | static_cast<uint32_t>(100 + n);
      r.mailable = n % 2 == 1;
      out.push_back(r);
    }
  }
  for (uint32_t id : {10000u, 82020u, 49146u, 49152u}) {
    ItemRecord r;
    r.id = id;
    r.icon = 90;
    r.name = "Record Stone " + std::to_string(id);
    r.description = "Holds one place of the world.";
    r.level = 1;
    out.push_back(r);
  }
  return out;
}

std::vector<SceneRecord> sampleScenes() {
  return {{1, "Demo Town"}, {2, "Demo Fields"}, {3, "Demo Caves"}, {4, "Demo Harbour"}};
}

std::vector<uint8_t> itemTable(const std::vector<ItemRecord>& items) {
  const auto& F = ITEM_RECORD_FIELDS;
  std::vector<uint8_t> out = tableHead(items.size(), kItemRecordSize);
  for (size_t i = 0; i < items.size(); ++i) {
    const ItemRecord& r = items[i];
    const size_t base = kTableHeaderSize + 4 + i * kItemRecordSize;
    putLe(out, base + at(F, "id"), r.id, 4);
    putLe(out, base + at(F, "amount"), 1, 4);
    putLe(out, base + at(F, "icon"), static_cast<uint16_t>(r.icon), 2);
    putText(out, base + at(F, "name"), r.name, 31);
    putText(out, base + at(F, "description"), r.description, 101);
    putLe(out, base + at(F, "level"), static_cast<uint16_t>(r.level), 2);
    putLe(out, base + at(F, "gear kind"), static_cast<uint16_t>(r.gearKind), 2);
    putLe(out, base + at(F, "races"), static_cast<uint16_t>(r.races), 2);
    putLe(out, base + at(F, "requirement"), r.requirement, 4);
    putLe(out, base + at(F, "durability"), r.durability, 4);
    if (r.mailable) out[base + ITEM_DEF_FLAG_BYTE] |= ITEM_FLAG_MAILABLE;
  }
  return out;
}

std::vector<uint8_t> sceneTable(const std::vector<SceneRecord>& scenes) {
  std::vector<uint8_t> out = tableHead(scenes.size(), kSceneRecordSize);
  for (size_t i = 0; i < scenes.size(); ++i) {
    const size_t base = kTableHeaderSize + 4 + i * kSceneRecordSize;
    putLe(out, base + at(SCENE_RECORD_FIELDS, "id"), scenes[i].id, 4);
    putText(out, base + at(SCENE_RECORD_FIELDS, "name"), scenes[i].name, 32);
  }
  return out;
}

}  // namespace mkgame
