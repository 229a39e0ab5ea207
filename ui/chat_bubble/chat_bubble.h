// Speech bubbles over map characters and battle units.
#pragma once
#include <cstdint>

constexpr int32_t CHAT_BUBBLE_SHOW_MS = 8000;
constexpr int32_t CHAT_BUBBLE_MEASURE_W = 96, CHAT_BUBBLE_MEASURE_H = 600;

// Shows the text (cut at 160 bytes on a character boundary) over the character with that id for
// 8000 ms, when the speech-bubble option and the Local channel filter are on. On the map the
// bubble follows its speaker; a speaker not in the scene, or without a drawn look, shows nothing
// and takes no record. In battle nothing is shown yet. Every call is recorded too.
void chat_bubble_show(uint32_t char_id, const char* text);
