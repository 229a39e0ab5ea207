// Small pieces of the game screen's state that the client core sets.
#pragma once
#include <cstdint>

// Stores the map scene's view rectangle.
void view_rect_set(int32_t x0, int32_t y0, int32_t x1, int32_t y1);
// Puts text (cut to 47 bytes) at the top of the system notice list.
void notice_lines_push(const char* text);
// The same with a printf-formatted line.
void notice_linef(const char* format, ...) __attribute__((format(printf, 1, 2)));
