// Until the system menu is built the call is recorded.
#include "ui/system_menu/system_menu.h"

#include "client/common/seam_calls.h"

void system_menu_window_open() { seam_call("system_menu_window_open"); }
