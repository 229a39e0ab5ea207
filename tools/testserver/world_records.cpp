// The game profile's wire records.
#include "tools/testserver/world_records.h"

#include <algorithm>
#include <cstring>

namespace testserver {

namespace {

constexpr auto walkCharEntry = [](auto& r, auto& v) {
  v.u32(r.id);
  v.bytes(r.name, kCharNameSize);
  v.u8(r.race);
  v.u16(r.look);
  v.u16(r.rebirth);
  v.u16(r.level);
  v.zeros(2);
};
static_assert(plat::walkMatchesLayout<CharEntryWire>(kCharEntryFields, walkCharEntry));

constexpr auto walkSceneChar = [](auto& r, auto& v) {
  v.u32(r.id);
  v.bytes(r.name, sizeof r.name);
  v.bytes(r.title, sizeof r.title);
  v.i32(r.look);
  v.u8(r.unused56);
  v.u8(r.pad57);
  v.u16(r.x);
  v.u16(r.y);
  v.u16(r.targetX);
  v.u16(r.targetY);
  v.u8(r.walking);
  v.u8(r.posture);
  v.u8(r.direction);
  v.u8(r.mode);
  v.bytes(r.pad70, sizeof r.pad70);
  v.u32(r.status);
  v.u8(r.classByte);
  v.bytes(r.pad77, sizeof r.pad77);
  v.i32(r.icon);
};
static_assert(plat::walkMatchesLayout<SceneCharWire>(kSceneCharFields, walkSceneChar));

constexpr auto walkSceneEntry = [](auto& r, auto& v) {
  v.bytes(r.name, sizeof r.name);
  v.i32(r.map);
  v.i32(r.music);
  v.i32(r.musicValue);
  v.i32(r.music2);
  v.i32(r.music2Value);
  v.i32(r.music3);
  v.i32(r.unused40);
  v.i32s(r.values44, 4);
  v.i32s(r.block60, 7);
  v.bytes(r.self, kSceneCharSize);
};
static_assert(plat::walkMatchesLayout<SceneEntryWire>(kSceneEntryFields, walkSceneEntry));

constexpr auto walkTitle = [](auto& r, auto& v) {
  v.bytes(r.name, kTitleNameSize);
  v.bytes(r.words, sizeof r.words);
  v.u16(r.id);
};
static_assert(plat::walkMatchesLayout<TitleWire>(kTitleFields, walkTitle));

// Cut to fit with room for the NUL the fields keep.
void copyText(char* dst, size_t size, const std::string& text) {
  std::memcpy(dst, text.data(), std::min(text.size(), size - 1));
}

}  // namespace

std::vector<uint8_t> charEntry(const WorldCharacter& c) {
  CharEntryWire w{};
  w.id = c.id;
  copyText(w.name, sizeof w.name, c.name);
  w.race = c.race;
  w.look = static_cast<uint16_t>(c.look);
  w.rebirth = static_cast<uint16_t>(c.rebirth);
  w.level = static_cast<uint16_t>(c.level);
  plat::ByteWriter out;
  plat::writeFields(out, w, walkCharEntry);
  return out.take();
}

std::vector<uint8_t> sceneEntry(const WorldScene& scene, const WorldCharacter& c) {
  SceneEntryWire w{};
  copyText(w.name, sizeof w.name, scene.name);
  w.map = scene.map;
  w.music = w.music2 = w.music3 = scene.music;
  // The small-map picture: frame map - 1 of the sample folder's "system/smallmap.mda".
  w.values44[0] = scene.map - 1;
  SceneCharWire self{};
  self.id = c.id;
  copyText(self.name, sizeof self.name, c.name);
  // The figure files are numbered by race and look, as the create screen's previews.
  self.look = c.race * 2 + c.look;
  self.x = self.targetX = scene.x;
  self.y = self.targetY = scene.y;
  self.direction = 1;
  self.icon = -1;
  plat::ByteWriter selfBytes;
  plat::writeFields(selfBytes, self, walkSceneChar);
  std::memcpy(w.self, selfBytes.data().data(), kSceneCharSize);
  plat::ByteWriter out;
  plat::writeFields(out, w, walkSceneEntry);
  return out.take();
}

std::vector<uint8_t> sceneCharRecord(const WorldSceneChar& c) {
  SceneCharWire w{};
  w.id = c.id;
  copyText(w.name, sizeof w.name, c.name);
  copyText(w.title, sizeof w.title, c.title);
  w.look = c.look;
  w.x = w.targetX = c.x;
  w.y = w.targetY = c.y;
  w.direction = static_cast<uint8_t>(c.direction);
  w.mode = static_cast<uint8_t>(c.mode);
  w.status = c.status;
  w.classByte = static_cast<uint8_t>(c.classByte);
  w.icon = -1;
  plat::ByteWriter out;
  plat::writeFields(out, w, walkSceneChar);
  return out.take();
}

namespace {
std::vector<uint8_t> sceneCharsOf(const World& w, bool npcs, int32_t& count) {
  std::vector<uint8_t> out;
  count = 0;
  for (const WorldSceneChar& c : w.sceneChars) {
    if (c.npc != npcs) continue;
    const std::vector<uint8_t> r = sceneCharRecord(c);
    out.insert(out.end(), r.begin(), r.end());
    ++count;
  }
  return out;
}
}  // namespace

std::vector<uint8_t> sceneNpcs(const World& w, int32_t& count) { return sceneCharsOf(w, true, count); }

std::vector<uint8_t> scenePlayers(const World& w, int32_t& count) {
  std::vector<uint8_t> out = sceneCharsOf(w, false, count);
  out.insert(out.end(), 4, 0);  // m = 0 nickname records
  return out;
}

std::vector<uint8_t> titleRecord(uint16_t id, const std::string& name) {
  TitleWire w{};
  copyText(w.name, sizeof w.name, name);
  w.id = id;
  plat::ByteWriter out;
  plat::writeFields(out, w, walkTitle);
  return out.take();
}

bool createName(std::span<const uint8_t> payload, std::string& name) {
  plat::ByteReader r(payload);
  r.skip(4, "id");
  std::span<const uint8_t> field = r.bytes(kCharNameSize, "name");
  const auto nul = std::find(field.begin(), field.end(), uint8_t{0});
  if (nul == field.end()) return false;
  name.assign(field.begin(), nul);
  return true;
}

}  // namespace testserver
