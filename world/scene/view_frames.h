// The view frame records the scene reads: ten values and seven tables each.
#pragma once
#include <cstdint>
#include <vector>

constexpr int VIEW_FRAME_VALUES = 10;
constexpr int VIEW_FRAME_TABLES = 7;

struct VIEW_FRAME {
  int32_t values[VIEW_FRAME_VALUES];
  std::vector<int32_t> tables[VIEW_FRAME_TABLES];
};

extern std::vector<VIEW_FRAME> view_frames;

// Replaces the list with n zeroed frames whose tables are empty; 0, or -1 for a negative n
// (the list is then left alone).
int32_t view_frames_create(int32_t n);

// Returns one frame's seven tables' memory, leaving them empty.
void view_frame_free_tables(VIEW_FRAME& frame);
