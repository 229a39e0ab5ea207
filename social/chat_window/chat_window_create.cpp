// Stand-in until the chat window is built: creation succeeds and makes nothing.
#include "social/chat_window/chat_window.h"

int32_t chat_window_create(uintptr_t /*instance*/, int32_t /*language*/) { return 0; }

void chat_window_show(int32_t /*shown*/) {}
