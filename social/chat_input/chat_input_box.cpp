#include "social/chat_input/chat_input_box.h"

#include "core/reset/module_resets.h"

CChatInputBox chat_input_box;

namespace {
std::vector<CHAT_MAIL_RECORD> g_mail;
void chat_input_reset() {
  g_mail.clear();
  chat_input_box.clear_text();
  chat_input_box.set_focused(false);
  chat_input_box.max_length = CHAT_LINE_MAX_LENGTH;
}
const ModuleReset k_reset("chat input", chat_input_reset);
}  // namespace

int32_t CChatInputBox::on_enter() { return chat_input_on_line(this); }

int32_t chat_input_on_line(CChatInputBox* box) {
  if (box) box->clear_text();
  return CTL_OK;
}

void chat_send_mail(const char* text, uint32_t from_id, int32_t to_id) {
  if (g_mail.size() < 1024) g_mail.push_back({text ? text : "", from_id, to_id});
}

const std::vector<CHAT_MAIL_RECORD>& chat_sent_mail() { return g_mail; }
