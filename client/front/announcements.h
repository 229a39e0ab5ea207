// The announcements screen (task TASK_SYSTEM_BROADCAST): the four pages the updater downloads,
// shown in a scrolling text box, with buttons for the pages, three web pages and going on to the
// server select.
#pragma once
#include <cstdint>

constexpr int32_t ANNOUNCEMENT_PAGES = 4;

// 0 going on, -1 missing art.
int32_t task_system_broadcast();

// The text box's scroll state, for the tests.
struct ANNOUNCEMENT_VIEW {
  int32_t page;        // 0-3
  int32_t first_line;  // the first line shown
  int32_t lines;       // the page's line count
  bool overflowed;     // the last layout ran past the box
  bool operator==(const ANNOUNCEMENT_VIEW&) const = default;
};
ANNOUNCEMENT_VIEW announcements_view();
