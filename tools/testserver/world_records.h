// The game profile's records on the wire, written field by field from one field list each: a
// character list entry, the scene character record, the scene entry that carries it and a title.
#pragma once
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "plat/bytes.h"
#include "tools/testserver/script.h"

namespace testserver {

constexpr size_t kCharEntrySize = 28;
constexpr size_t kCharNameSize = 15;
constexpr size_t kSceneCharSize = 84;
constexpr size_t kSceneEntrySize = 172;

// One entry of the character list (0x30007) and the create request (0x3000e).
struct CharEntryWire {
  uint32_t id;
  char name[kCharNameSize];
  uint8_t race;
  uint16_t look, rebirth, level;
};
constexpr plat::FieldSpec kCharEntryFields[] = {
    {"id", 0, 4},     {"name", 4, 15},     {"race", 19, 1}, {"look", 20, 2},
    {"rebirth", 22, 2}, {"level", 24, 2}, {"pad", 26, 2},
};
static_assert(plat::checkLayout(kCharEntryFields, kCharEntrySize));

// The server's character record as the scene takes it.
struct SceneCharWire {
  uint32_t id;
  char name[21];
  char title[27];
  int32_t look;
  uint8_t unused56;
  uint8_t pad57;
  uint16_t x, y, targetX, targetY;
  uint8_t walking, posture, direction, mode;
  uint8_t pad70[2];
  uint32_t status;
  uint8_t classByte;
  uint8_t pad77[3];
  int32_t icon;
};
constexpr plat::FieldSpec kSceneCharFields[] = {
    {"id", 0, 4},         {"name", 4, 21},      {"title", 25, 27},     {"look", 52, 4},
    {"unused", 56, 1},    {"pad57", 57, 1},     {"x", 58, 2},          {"y", 60, 2},
    {"target x", 62, 2},  {"target y", 64, 2},  {"walking", 66, 1},    {"posture", 67, 1},
    {"direction", 68, 1}, {"mode", 69, 1},      {"pad70", 70, 2},      {"status", 72, 4},
    {"class", 76, 1},     {"pad77", 77, 3},     {"icon", 80, 4},
};
static_assert(plat::checkLayout(kSceneCharFields, kSceneCharSize));

// The scene entry (0x30100): the map's names and numbers, two value blocks, the own character.
struct SceneEntryWire {
  char name[16];
  int32_t map, music, musicValue, music2, music2Value, music3, unused40;
  int32_t values44[4];
  int32_t block60[7];
  uint8_t self[kSceneCharSize];  // a SceneCharWire as its own walk wrote it
};
constexpr plat::FieldSpec kSceneEntryFields[] = {
    {"name", 0, 16},         {"map", 16, 4},          {"music", 20, 4},      {"music value", 24, 4},
    {"second music", 28, 4}, {"second value", 32, 4}, {"third music", 36, 4}, {"unused", 40, 4},
    {"values", 44, 16},      {"block", 60, 28},       {"character", 88, 84},
};
static_assert(plat::checkLayout(kSceneEntryFields, kSceneEntrySize));

// A title of the title list (0xe0002): seventeen words, the first bytes holding its name, then
// the title id.
constexpr size_t kTitleSize = 70;
constexpr size_t kTitleNameSize = 27;
struct TitleWire {
  char name[kTitleNameSize];
  uint8_t words[68 - kTitleNameSize];  // the rest of the seventeen words
  uint16_t id;
};
constexpr plat::FieldSpec kTitleFields[] = {{"name", 0, 27}, {"words", 27, 41}, {"id", 68, 2}};
static_assert(plat::checkLayout(kTitleFields, kTitleSize));

std::vector<uint8_t> charEntry(const WorldCharacter& c);
std::vector<uint8_t> titleRecord(uint16_t id, const std::string& name);
// The 84-byte record of a declared scene character (its walk target is where it stands).
std::vector<uint8_t> sceneCharRecord(const WorldSceneChar& c);
// The scene's declared NPCs as 0x30012's payload and its players as 0x3000a's (no nicknames).
std::vector<uint8_t> sceneNpcs(const World& w, int32_t& count);
std::vector<uint8_t> scenePlayers(const World& w, int32_t& count);
// The scene entry for a character entering the world's scene.
std::vector<uint8_t> sceneEntry(const WorldScene& scene, const WorldCharacter& c);
// The create request's name field: the text up to its NUL; false when the field has none.
bool createName(std::span<const uint8_t> payload, std::string& name);

}  // namespace testserver
