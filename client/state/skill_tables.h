// The skills the server last listed: the player's 20 skill words and the shown pet's 8 skill
// ids, with the bytes that tell the skill windows to read them again.
#pragma once
#include <cstdint>
#include <string>

constexpr int PLAYER_SKILLS = 20;
constexpr int PET_SKILLS = 8;
constexpr uint16_t SKILL_NONE = 0xFFFF;  // an empty entry (a negative id)
// The skill rank goes up at each of these sums of the player's skill levels.
constexpr int SKILL_RANKS = 8;
constexpr int32_t SKILL_RANK_THRESHOLDS[SKILL_RANKS] = {560, 800, 1040, 1200, 1360, 1520, 1600, 2002};

struct SKILL_TABLES {
  uint32_t player[PLAYER_SKILLS];  // low 16 bits the skill id, byte 2 the signed level
  uint16_t pet[PET_SKILLS];        // SKILL_NONE: empty
  uint8_t player_changed;
  uint8_t pet_changed;
};
extern SKILL_TABLES skill_tables;

// Every entry empty, the changed bytes 0.
void skill_tables_reset();

inline uint16_t skill_word_id(uint32_t word) { return static_cast<uint16_t>(word); }
inline int8_t skill_word_level(uint32_t word) { return static_cast<int8_t>(word >> 16); }

// The index of the player's skill with that id, or -1.
int32_t player_skill_find(uint16_t id);
// The rank of the player's skills: the first rank whose threshold the sum of the levels stays
// below, 8 when it reaches the last.
int32_t player_skill_rank();
// The skill's shown name from the skill definitions, empty for an id they do not have.
std::string skill_name(uint16_t id);
