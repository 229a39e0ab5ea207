#include "client/common/seam_calls.h"
#include "social/chat_window/chat_window.h"

// The window itself is not built yet: the call is recorded.
void chat_window_mode_apply() { seam_call("chat_window_mode_apply"); }
