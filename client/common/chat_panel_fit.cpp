#include "client/common/chat_panel_fit.h"

#include "client/window/window_manager.h"
#include "social/chat_window/chat_panel_lines.h"

void chat_panel_fit_lines() {
  int32_t rect[4];
  uint32_t state = 0;
  if (window_get_rect(kChatPanelWindowId, rect, &state, 0) != 0) return;
  rect[1] = rect[3] - chat_panel_visible_lines * 20 - 25;
  window_set_rect(kChatPanelWindowId, rect, state, 0);
}
