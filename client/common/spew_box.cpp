#include "client/common/spew_box.h"
#include "plat/platform.h"
#include "plat/tier0.h"
#include "plat/winmsg.h"

int spew_message_box(int spew_type, const char* text) {
  plat::get().messageBox().show(plat::kNoWindow, text ? text : "", "Error", plat::MB_ICONHAND);
  if (spew_type == plat::SPEW_ASSERT) return 0;
  if (spew_type == plat::SPEW_ERROR) return 2;
  return 1;
}
