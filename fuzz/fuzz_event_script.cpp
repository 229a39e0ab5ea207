// Event-script parsing on arbitrary text: a script is accepted or refused with
// std::invalid_argument; nothing else may escape. An accepted script written back out in numbers
// parses to the same records.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

#include "plat/headless.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view text(reinterpret_cast<const char*>(data), size);
  plat::EventScript s;
  try {
    s = plat::EventScript::parse(text);
  } catch (const std::invalid_argument&) {
    return 0;
  }
  std::string again;
  for (const plat::ScriptEvent& e : s.events) {
    again += e.atFrame ? "@" + std::to_string(*e.atFrame) : std::to_string(e.atMs);
    again += " " + std::to_string(e.message) + " " + std::to_string(e.wParam) + " " + std::to_string(e.lParam) + "\n";
  }
  plat::EventScript t = plat::EventScript::parse(again);  // must not throw
  if (t.events.size() != s.events.size()) __builtin_trap();
  for (size_t i = 0; i < s.events.size(); ++i) {
    const auto& a = s.events[i];
    const auto& b = t.events[i];
    if (a.atMs != b.atMs || a.atFrame != b.atFrame || a.message != b.message || a.wParam != b.wParam ||
        a.lParam != b.lParam)
      __builtin_trap();
  }
  return 0;
}
