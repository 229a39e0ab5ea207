// Quests and the server's macro commands.
#include <cstring>
#include <string>

#include "client/common/text_field.h"
#include "client/handlers/client_handlers.h"
#include "client/handlers/handler_words.h"
#include "client/state/quest_tables.h"
#include "social/macro/macro_state.h"
#include "social/macro/macro_system.h"
#include "ui/game_screen/game_screen_state.h"

namespace {

constexpr size_t kQuestHeadSize = 44;  // id, nine progress words, the text length byte at 40
constexpr size_t kQuestLengthAt = 40;
constexpr size_t kQuestTextMax = QUEST_TEXT_SIZE - 1;
constexpr size_t kProgressSize = 4 * QUEST_PROGRESS_WORDS;

QUEST_MESSAGE quest_message(uint32_t id, const std::string& text) {
  QUEST_MESSAGE q{};
  q.id = id;
  text_field_set(q.text, text);
  return q;
}

}  // namespace

void npc_on_macro_command(uint32_t, int32_t result, net_msg::Payload payload) {
  macro_run_server_command(result, payload.data(), payload.size());
}

void quest_on_added(uint32_t, int32_t, net_msg::Payload payload) {
  const auto head = payload_words<1 + QUEST_PROGRESS_WORDS>(payload);
  payload.records(1, kQuestHeadSize);
  // The length counts the text's NUL: 0 means no text at all.
  const uint8_t length = payload.u8(kQuestLengthAt);
  const size_t max = length == 0 ? 0 : (length - 1u < kQuestTextMax ? length - 1u : kQuestTextMax);
  QUEST_MESSAGE q = quest_message(head[0], payload.text(kQuestHeadSize, max));
  std::memcpy(q.progress, &head[1], sizeof q.progress);
  quest_store(q);
  game_screen_state.quest_news = 1;
  macro_raise_event(20, 1);
}

void quest_on_text(uint32_t, int32_t id, net_msg::Payload payload) {
  const std::string text = payload.text(0, kQuestTextMax);
  int32_t table = -1;
  const int32_t at = quest_find(static_cast<uint32_t>(id), &table);
  if (at >= 0) {
    text_field_set(quest_state.tables[table][at].quest.text, text);
    return;
  }
  quest_store(quest_message(static_cast<uint32_t>(id), text));
}

void quest_on_progress(uint32_t, int32_t id, net_msg::Payload payload) {
  if (payload.size() != kProgressSize) return;
  const auto words = payload_words<QUEST_PROGRESS_WORDS>(payload);
  int32_t table = -1;
  const int32_t at = quest_find(static_cast<uint32_t>(id), &table);
  if (at < 0) return;
  std::memcpy(quest_state.tables[table][at].quest.progress, words.data(), sizeof words);
}

void quest_on_new(uint32_t, int32_t id, net_msg::Payload) { quest_store(quest_message(static_cast<uint32_t>(id), {})); }

void quest_on_removed(uint32_t, int32_t id, net_msg::Payload) { quest_remove(static_cast<uint32_t>(id)); }
