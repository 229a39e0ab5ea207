// The chat line: the edit box the player types chat into, its Enter action and the private
// message sender.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/edit/edit_box.h"

constexpr int32_t CHAT_LINE_MAX_LENGTH = 160;

class CChatInputBox : public CEditBox {
 public:
  CChatInputBox() : CEditBox(nullptr, 0) { max_length = CHAT_LINE_MAX_LENGTH; }
  int32_t on_enter() override;
  int32_t on_esc() override {
    clear_text();
    return CTL_OK;
  }
};

extern CChatInputBox chat_input_box;

// The chat line's Enter: until the chat is built it only clears the line.
int32_t chat_input_on_line(CChatInputBox* box);

// Sends a private message (text, the sender's id, the addressee's id). Until the chat is built
// the calls are only kept.
void chat_send_mail(const char* text, uint32_t from_id, int32_t to_id);
struct CHAT_MAIL_RECORD {
  std::string text;
  uint32_t from_id;
  int32_t to_id;
};
const std::vector<CHAT_MAIL_RECORD>& chat_sent_mail();
