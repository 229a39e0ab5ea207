// The character select screens: the opening animation while the login reply and the character
// list arrive, then the list of the account's characters (at most five) with create, back and
// enter.
#pragma once
#include <cstdint>
#include <string>

#include "client/state/login_state.h"

constexpr uint32_t MSG_SELECT_CHARACTER = 0x30008;
constexpr int32_t CHAR_SELECT_SLOTS = 5;

// TASK_SELECT_CHARACTER_IN: 0, or -1 when its art is missing.
int32_t task_select_character_in();
// TASK_SELECT_CHARACTER: 0 (the server accepted the character), 1008 (create), -2 (back or the
// link was lost), -1 (missing art).
int32_t task_select_character();

// The characters the screen shows: the list's size, at most five.
int32_t char_select_shown();
// "45Level" without a rebirth, "2-45" (rebirth-level) with one.
std::string char_select_level_text(const CHAR_RECORD& c);
// The number of the head and figure commands: look + 2 x race, the race counted 4 further on
// for a reborn character.
int32_t char_select_picture(const CHAR_RECORD& c);
