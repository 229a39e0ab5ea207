// Prizes, the version check and the server's broadcast notices.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "client/handlers/client_handlers.h"
#include "client/state/broadcast_list.h"
#include "client/ui/message_box.h"
#include "engine/input/input_cursor.h"
#include "plat/platform.h"
#include "social/chat_log/chat_log.h"

namespace {

constexpr size_t kPrizeTextMax = 1023;
// The apostrophe is a double-byte character of the game's code page.
constexpr const char* kVersionMismatch = "Client edition doesn\xA1\xAFt match, please update it";

BROADCAST_ENTRY entry(uint32_t id, uint32_t start_time, uint32_t end_time, const std::string& text) {
  BROADCAST_ENTRY e{};
  e.id = id;
  e.start_time = start_time;
  e.end_time = end_time;
  std::memcpy(e.text, text.data(), std::min(text.size(), BROADCAST_TEXT_SIZE - 1));
  return e;
}

}  // namespace

void prize_on_text(uint32_t, int32_t status, net_msg::Payload payload) {
  if (payload.empty()) return;  // no text to show
  const std::string text = payload.text(0, kPrizeTextMax);
  switch (status) {
    case 0: show_message_box(text.c_str(), 1); return;
    case 1: show_system_message(text.c_str(), 0); return;
    case 2: chat_log_add(6, 0, "", text.c_str(), 0); return;
    default: return;
  }
}

void version_on_mismatch(uint32_t, int32_t result, net_msg::Payload) {
  if (result != -1) return;
  input_show_cursor(1);
  show_system_message(kVersionMismatch, 1);
  plat::get().process().exit(0);
}

void event_on_notice(uint32_t, int32_t, net_msg::Payload payload) {
  payload.bytes(0, BROADCAST_ENTRY_SIZE);  // the whole record or nothing
  broadcast_list_store(entry(payload.u32(0), payload.u32(4), payload.u32(8), payload.text(12, BROADCAST_TEXT_SIZE - 1)));
}

void event_on_exp_release(uint32_t, int32_t id, net_msg::Payload payload) {
  const uint32_t start_time = payload.u32(0);
  const uint32_t end_time = payload.u32(4);
  const int32_t amount = payload.i32(8);
  char text[BROADCAST_TEXT_SIZE];
  std::snprintf(text, sizeof text, "The server is releasing %d Exp and skill usage time.", amount);
  broadcast_list_store(entry(static_cast<uint32_t>(id), start_time, end_time, text));
}

void event_on_notice_removed(uint32_t, int32_t id, net_msg::Payload) {
  broadcast_list_remove(static_cast<uint32_t>(id));
}
