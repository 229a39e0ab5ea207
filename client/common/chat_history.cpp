#include <cstring>
#include <string>
#include <string_view>

#include "client/common/chat_history.h"
#include "plat/platform.h"
#include "core/reset/module_resets.h"
#include "plat/cp936.h"

namespace {

struct ChatHistory {
  char lines[CHAT_HISTORY_LINES][CHAT_HISTORY_LINE_SIZE] = {};
  int write_index = 0;
  int browse_index = 0;
};
ChatHistory g_history;

}  // namespace

// Cut at 159 bytes on a character boundary, so a long line never ends in half a character.
void chat_line_history_add(const char* text) {
  std::string_view t = text ? std::string_view(text) : std::string_view();
  t = t.substr(0, plat::cp936::fitLength(t, CHAT_HISTORY_LINE_SIZE - 1));
  const std::string lower = plat::cp936::asciiLower(t);
  for (const auto& line : g_history.lines)
    if (plat::cp936::asciiLower(line) == lower) return;
  char* dst = g_history.lines[g_history.write_index];
  std::memcpy(dst, t.data(), t.size());
  std::memset(dst + t.size(), 0, CHAT_HISTORY_LINE_SIZE - t.size());
  g_history.write_index = (g_history.write_index + 1) % CHAT_HISTORY_LINES;
}

void chat_line_history_browse(char* out, int key) {
  int index;
  if (key == CHAT_HISTORY_KEY_UP) {
    index = g_history.browse_index - 1;
    if (index < 0) index = CHAT_HISTORY_LINES - 1;
  } else if (key == CHAT_HISTORY_KEY_DOWN) {
    if (g_history.browse_index == g_history.write_index) {
      out[0] = 0;
      return;
    }
    index = (g_history.browse_index + 1) % CHAT_HISTORY_LINES;
  } else {
    return;
  }
  if (g_history.lines[index][0] == 0 || index == g_history.write_index) {
    out[0] = 0;
    return;
  }
  std::memcpy(out, g_history.lines[index], CHAT_HISTORY_LINE_SIZE);
  g_history.browse_index = index;
}

void chat_line_history_browse_to_newest() { g_history.browse_index = g_history.write_index; }

void chat_line_history_reset() { g_history = ChatHistory{}; }

static const ModuleReset k_reset("chat line history", chat_line_history_reset);
