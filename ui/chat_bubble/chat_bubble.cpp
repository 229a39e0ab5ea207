#include "ui/chat_bubble/chat_bubble.h"

#include "client/common/seam_calls.h"

// The bubbles are drawn by the game screen, which is not built yet: the call is recorded.
void chat_bubble_show(uint32_t char_id, const char* text) {
  seam_call("chat_bubble_show", char_id, 0, 0, text ? text : "");
}
