// Stand-in until the chat window is built: creation succeeds and makes nothing; showing or
// hiding it is only recorded.
#include "client/common/seam_calls.h"
#include "social/chat_window/chat_window.h"

int32_t chat_window_create(uintptr_t /*instance*/, int32_t /*language*/) { return 0; }

void chat_window_show(int32_t shown) { seam_call("chat_window_show", shown); }
