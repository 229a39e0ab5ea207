#include "ui/server_switch/server_switch_window.h"

#include "client/common/seam_calls.h"

// The window is not built yet: the call is recorded.
void server_switch_window_toggle() { seam_call("server_switch_window_toggle"); }
