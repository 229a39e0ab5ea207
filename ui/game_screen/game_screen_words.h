// The game screen's words that the party, weather and scene handlers write, until the
// game screen that reads them is built: each stand-in records what it was given.
#pragma once
#include <cstdint>

#include "ui/game_screen/window_slots.h"

// The window kind a scene entry closes when it is open.
constexpr WindowKind WINDOW_CLOSED_BY_SCENE_ENTRY = WINDOW_SERVER_SWITCH;

struct GAME_SCREEN_WORDS {
  int32_t applicants_arrived;     // raised when an applicant arrives with the window closed
  int32_t applicant_first_shown;  // the applicants window's first shown record
  int32_t applicant_selection;    // the applicants window's chosen record, -1 none
  int32_t state_word;             // cleared by a scene entry on maps 3, 98 and 103
  int32_t weather_flags;          // the last server weather word
  int32_t weather_applies;        // weather_apply_server_flags calls
};
extern GAME_SCREEN_WORDS game_screen_words;

// Applies the server's weather flag word to the map weather.
void weather_apply_server_flags(int32_t flags);
