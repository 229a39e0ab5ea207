// Titles: the list, the shown titles of scene characters and the player's two title blocks.
#include <cstring>
#include <string>
#include <vector>

#include "client/common/text_field.h"
#include "client/game/frame_input.h"
#include "client/handlers/client_handlers.h"
#include "client/handlers/handler_words.h"
#include "client/state/player_state.h"
#include "client/state/title_table.h"
#include "world/scene/scene_chars.h"

namespace {

constexpr size_t kTitleTextMax = 27;

}  // namespace

void title_on_base(uint32_t, int32_t, net_msg::Payload payload) {
  const auto words = payload_words<PLAYER_BASE_WORDS>(payload);
  for (int i = 0; i < PLAYER_BASE_WORDS; ++i) player_base_set(i, words[static_cast<size_t>(i)]);
}

void title_on_list(uint32_t, int32_t count, net_msg::Payload payload) {
  std::vector<TITLE_RECORD> records = payload.fieldRecords<TITLE_RECORD>(count, TITLE_RECORD_FIELDS, TITLE_RECORD_WALK);
  for (TITLE_RECORD& r : records) {
    text_field_terminate(r.name);
    text_field_terminate(r.description);
    title_add(r);
  }
  title_table.list_loaded = 1;
}

void title_on_set(uint32_t, int32_t id, net_msg::Payload payload) {
  const std::string title = payload.text(0, kTitleTextMax);
  const int32_t i = scene_find_char(static_cast<uint32_t>(id));
  if (i >= 0) text_field_set(scene_chars[static_cast<size_t>(i)].title, title);
  if (static_cast<uint32_t>(id) == frame_input.own_char_id) text_field_set(player_state.title, title);
}

void title_on_clear(uint32_t, int32_t id, net_msg::Payload) {
  const int32_t i = scene_find_char(static_cast<uint32_t>(id));
  if (i >= 0) text_field_set(scene_chars[static_cast<size_t>(i)].title, {});
}

void title_on_block(uint32_t, int32_t, net_msg::Payload payload) {
  const auto words = payload_words<PLAYER_BLOCK_E6_WORDS>(payload);
  std::memcpy(player_state.block_e6, words.data(), sizeof player_state.block_e6);
}
