// Small messages of the game screen: the scene re-entry request, the character-state pair, speech
// bubbles, the macro state block and the relation notices.
#include <string>

#include "client/handlers/client_handlers.h"
#include "client/net/net_link.h"
#include "social/chat_log/chat_log.h"
#include "social/macro/macro_state.h"
#include "ui/chat_bubble/chat_bubble.h"
#include "ui/game_screen/game_screen_state.h"

namespace {

constexpr size_t kSpeechMax = 160;  // longer speech is not shown at all

}  // namespace

void scene_on_reenter(uint32_t, int32_t, net_msg::Payload) { net_send_world(0x3000c, 0, nullptr, 0); }

void char_state_on_pair(uint32_t, int32_t value, net_msg::Payload) {
  const uint32_t word = static_cast<uint32_t>(value);
  game_screen_state.char_state_high = static_cast<int32_t>(word >> 16);
  game_screen_state.char_state_low = static_cast<int32_t>(word & 0xFFFF);
}

void char_on_speech(uint32_t, int32_t char_id, net_msg::Payload payload) {
  if (payload.empty()) return;  // nothing to say
  const std::string text = payload.text(0, payload.size());
  if (text.size() >= kSpeechMax) return;
  chat_bubble_show(static_cast<uint32_t>(char_id), text.c_str());
}

void macro_on_state(uint32_t, int32_t, net_msg::Payload payload) {
  const uint32_t first = payload.u32(0);
  const uint32_t second = payload.u32(4);
  macro_state_block.words[0] = first;
  macro_state_block.words[1] = second;
  macro_state_block.valid = 1;
}

void relation_on_master_removed(uint32_t, int32_t, net_msg::Payload) {
  chat_log_add(7, 0, "", "#G remove master and apprentice relationship", 0);
}

void relation_on_brother_removed(uint32_t, int32_t, net_msg::Payload) {
  chat_log_add(7, 0, "", "#G remove brotherhood", 0);
}
