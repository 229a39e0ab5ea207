#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <string_view>

#include "client/common/screen_state.h"
#include "plat/platform.h"
#include "plat/cp936.h"
#include "ui/notices/notice_lines.h"
#include "world/scene/view_rect.h"

void view_rect_set(int32_t x0, int32_t y0, int32_t x1, int32_t y1) {
  scene_view_rect() = SCENE_VIEW_RECT{x0, y0, x1, y1};
}

// Cut at 47 bytes on a character boundary: a plain byte cut could leave half a character.
void notice_lines_push(const char* text) {
  NOTICE_LINES& notices = notice_lines();
  std::memmove(notices.lines[1], notices.lines[0], (NOTICE_LINE_COUNT - 1) * NOTICE_LINE_SIZE);
  std::string_view t = text ? std::string_view(text) : std::string_view();
  size_t n = plat::cp936::fitLength(t, NOTICE_LINE_SIZE - 1);
  std::memcpy(notices.lines[0], t.data(), n);
  std::memset(notices.lines[0] + n, 0, NOTICE_LINE_SIZE - n);
  if (notices.count < NOTICE_LINE_COUNT) ++notices.count;
}

void notice_linef(const char* format, ...) {
  // Longer than an entry, so that the push makes the cut on a character boundary.
  char line[2 * NOTICE_LINE_SIZE];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  notice_lines_push(line);
}
