// The kept text of a fatal error handed over from a worker thread.
#include "core/log/fatal_handover.h"

#include <mutex>

#include "core/reset/module_resets.h"
#include "plat/platform.h"
#include "plat/winmsg.h"

namespace {

std::mutex handover_mutex;
std::string handover_text;

void fatal_handover_reset() {
  std::lock_guard lock(handover_mutex);
  handover_text.clear();
}

}  // namespace

void sys_hand_over_fatal_error(const char* text) {
  {
    std::lock_guard lock(handover_mutex);
    if (!handover_text.empty()) return;
    handover_text = text && *text ? text : "fatal error";
  }
  plat::get().events().post(plat::kNoWindow, plat::WM_FATAL_HANDOVER, 0, 0);
}

std::string sys_take_handed_over_fatal_error() {
  std::lock_guard lock(handover_mutex);
  std::string text;
  text.swap(handover_text);
  return text;
}

static const ModuleReset k_reset("fatal handover", fatal_handover_reset);
