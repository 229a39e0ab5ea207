// What the handlers showed, as texts: the open pop-ups and the chat log's lines, oldest first.
#pragma once
#include <string>
#include <vector>

#include "client/ui/message_box.h"
#include "social/chat_log/chat_log.h"

namespace handler_test {

inline std::vector<std::string> popupTexts() {
  std::vector<std::string> out;
  for (const MESSAGE_SLOT& s : message_slots)
    if (s.in_use) out.emplace_back(s.text);
  return out;
}

inline std::vector<std::string> chatLineTexts() {
  std::vector<std::string> out;
  const int32_t start = (chat_log.head - chat_log.count + CHAT_LOG_LINES) % CHAT_LOG_LINES;
  for (int32_t i = 0; i < chat_log.count; ++i) out.emplace_back(chat_log.lines[(start + i) % CHAT_LOG_LINES].text);
  return out;
}

}  // namespace handler_test
