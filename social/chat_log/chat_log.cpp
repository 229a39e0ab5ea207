#include "social/chat_log/chat_log.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "core/reset/module_resets.h"
#include "plat/cp936.h"
#include "plat/platform.h"

CHAT_LOG chat_log = {};
CHAT_CHANNEL_VIEW chat_channel_view = {};

void chat_log_reset() {
  std::memset(&chat_log, 0, sizeof chat_log);
  chat_channel_view = CHAT_CHANNEL_VIEW{};
}

namespace {
void copy_cut(char* out, size_t size, const char* text) {
  const std::string_view s = text ? std::string_view(text) : std::string_view();
  const size_t n = plat::cp936::wholeLength(s, size - 1);
  std::memcpy(out, s.data(), n);
  out[n] = '\0';
}
}  // namespace

void chat_log_add(int32_t channel, uint32_t sender_id, const char* name, const char* text, int32_t extra) {
  CHAT_LINE& line = chat_log.lines[chat_log.head];
  line.channel = channel;
  line.sender_id = sender_id;
  copy_cut(line.sender, sizeof line.sender, name);
  copy_cut(line.text, sizeof line.text, text);
  line.extra = extra;
  chat_log.head = (chat_log.head + 1) % CHAT_LOG_LINES;
  if (chat_log.count < CHAT_LOG_LINES - 1) ++chat_log.count;
  char out[CHAT_LINE_TEXT_SIZE + 32];
  std::snprintf(out, sizeof out, "chat %d: %s", channel, line.text);
  plat::get().debugOut(out);
}

static const ModuleReset k_reset("chat log", chat_log_reset);
