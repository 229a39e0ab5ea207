// The character create screen: one of eight models (four races, two looks each), its role and
// merit texts, a nickname, and the create request. It stays until the server accepts the name
// or the player goes back.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

constexpr int32_t CREATE_MODELS = 8;
constexpr int32_t CREATE_BOXES = 12;
constexpr int32_t CREATE_LOOK_0_TURN = 31;  // c1meu012's command of the turn to look 0
constexpr int32_t CREATE_LOOK_1_TURN = 30;
constexpr uint32_t CREATE_TURN_MS = 40;

// One description box: the file's lines and the part of them shown.
struct CREATE_TEXT {
  std::vector<std::string> lines;
  int32_t first = 0;  // first shown line
  int32_t fit = 0;    // lines the box showed at the last layout
};

// The screen's state for one run (reset when it starts and when it leaves).
struct CHAR_CREATE_STATE {
  int32_t leader = -1, head = -1, screen = -1, button = -1, arrows = -1;  // media handles, -1 none
  int32_t previews[CREATE_MODELS] = {-1, -1, -1, -1, -1, -1, -1, -1};
  int32_t race_base = -1;  // -1 until a race is chosen
  int32_t look = 0;        // 0 or 1
  int32_t model = -1;      // race base + look; -1 until a race is chosen
  int32_t turn_step = 0;   // the turn animation's counter
  int32_t turn_steps = 0;  // where it stops
  uint32_t turn_next = 0;  // frame time of its next step
  CREATE_TEXT role, merit;
  bool layout_needed = false;
};
extern CHAR_CREATE_STATE char_create_state;

// TASK_CREATE_CHARACTER: 0 (the server accepted the new character), -2 (back or the link was
// lost), -1 (missing art).
int32_t task_create_character();
// Everything back to the start, every media handle released.
void char_create_reset();
