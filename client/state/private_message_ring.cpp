#include "client/state/private_message_ring.h"

#include "social/chat_log/msg_history.h"

// Only the head fields: an entry with no sender and no text is an empty one.
void private_message_ring_clear() {
  for (MSG_HISTORY_RECORD& r : msg_history.records) {
    r.sender_id = 0;
    r.recipient_id = 0;
    r.time = 0;
    r.name[0] = '\0';
    r.text[0] = '\0';
  }
  msg_history.head = 0;
  msg_history.tail = 0;
}
