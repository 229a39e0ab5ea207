// The current time as ctime text, and the C runtime seed from it.
#include <ctime>
#include <mutex>

#include "engine/util/util.h"
#include "plat/crt.h"
#include "plat/platform.h"

std::string time_text() {
  const std::time_t now = static_cast<std::time_t>(plat::get().clock().wallTime());
  static std::mutex mutex;  // localtime's result is shared
  std::lock_guard lock(mutex);
  const std::tm* local = std::localtime(&now);
  if (!local) return "Thu Jan  1 00:00:00 1970\n";
  char text[32];
  // ctime's form: "Www Mmm dd hh:mm:ss yyyy\n".
  std::strftime(text, sizeof text, "%a %b %e %H:%M:%S %Y\n", local);
  return text;
}

void rand_seed_clock() { plat::crt_srand(static_cast<uint32_t>(plat::get().clock().wallTime())); }
