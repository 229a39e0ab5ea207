// Speech bubbles over map characters and battle units.
#pragma once
#include <cstdint>

// Shows the text (cut at 160 characters) over the character or unit with that id for 8000 ms.
void chat_bubble_show(uint32_t char_id, const char* text);
