// The announcements screen (task TASK_SYSTEM_BROADCAST): the four pages the updater downloads,
// shown in a scrolling text box, with buttons for the pages, three web pages and going on to the
// server select.
#pragma once
#include <cstdint>

#include "core/file/whole_file.h"

constexpr int32_t ANNOUNCEMENT_PAGES = 4;

// 0 going on, -1 missing art.
int32_t task_system_broadcast();

// The page's lines laid out in the text box (the emote-text object keeps them, cleared first)
// from first_line down, each below the last, until one passes the box's foot, which sets
// *overflowed. The page's line count (0 without a page).
int32_t announcements_lay_out(const FILE_BUFFER& page, int32_t first_line, bool* overflowed);

// The text box's scroll state, for the tests.
struct ANNOUNCEMENT_VIEW {
  int32_t page;        // 0-3
  int32_t first_line;  // the first line shown
  int32_t lines;       // the page's line count
  bool overflowed;     // the last layout ran past the box
  bool operator==(const ANNOUNCEMENT_VIEW&) const = default;
};
ANNOUNCEMENT_VIEW announcements_view();
