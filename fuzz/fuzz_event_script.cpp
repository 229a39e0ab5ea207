// Event-script parsing on arbitrary text: a script is accepted or refused with
// std::invalid_argument; nothing else may escape. An accepted script written back out in numbers,
// with its AFTER lines, parses to the same records and gates.
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
  size_t gate = 0;
  auto gatesUpTo = [&](size_t n) {
    for (; gate < n; ++gate) again += "AFTER " + s.gates[gate] + "\n";
  };
  for (const plat::ScriptEvent& e : s.events) {
    if (e.gate > s.gates.size()) __builtin_trap();
    gatesUpTo(e.gate);
    again += e.atFrame ? "@" + std::to_string(*e.atFrame) : std::to_string(e.atMs);
    again += " " + std::to_string(e.message) + " " + std::to_string(e.wParam) + " " + std::to_string(e.lParam) + "\n";
  }
  gatesUpTo(s.gates.size());
  plat::EventScript t = plat::EventScript::parse(again);  // must not throw
  if (t.events.size() != s.events.size() || t.gates != s.gates) __builtin_trap();
  for (size_t i = 0; i < s.events.size(); ++i) {
    const auto& a = s.events[i];
    const auto& b = t.events[i];
    if (a.atMs != b.atMs || a.atFrame != b.atFrame || a.message != b.message || a.wParam != b.wParam ||
        a.lParam != b.lParam || a.gate != b.gate)
      __builtin_trap();
  }
  return 0;
}
