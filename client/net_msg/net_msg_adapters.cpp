// Rows whose handler has another call shape than (id, argument, payload).
#include "client/net_msg/net_msg_rows.h"
#include "client/ui/message_box.h"
#include "items/handlers/items_handlers.h"
#include "ui/handlers/ui_handlers.h"

// 0x180005: the payload is the text, bounded by its length (it need not end in a NUL), shown
// as a pop-up so that the handler opens no nested modal loop.
void adapt_show_system_message(uint32_t, int32_t, net_msg::Payload payload) {
  system_message_from_payload(payload.data(), payload.size());
}

void adapt_give_on_open(uint32_t, int32_t, net_msg::Payload) { give_on_open(); }
void adapt_trade_close_window(uint32_t, int32_t, net_msg::Payload) { trade_close_window(); }
void adapt_mail_open_compose_window(uint32_t, int32_t, net_msg::Payload) { mail_open_compose_window(); }
void adapt_game_leave_quit(uint32_t, int32_t, net_msg::Payload) { game_leave_quit(); }
