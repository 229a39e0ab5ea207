// The responder registry.
#include "tools/testserver/responders.h"

#include <algorithm>

namespace testserver {

namespace {

struct Entry {
  std::string profile;
  uint32_t id;
  ResponderFn fn;
};

// Function-local tables, filled by static registrations in any order.
std::vector<Entry>& table() {
  static std::vector<Entry> entries;
  return entries;
}

struct TickEntry {
  std::string profile;
  TickFn fn;
};
std::vector<TickEntry>& ticks() {
  static std::vector<TickEntry> entries;
  return entries;
}

}  // namespace

ResponderRegistration::ResponderRegistration(const char* profile, uint32_t id, ResponderFn fn) {
  table().push_back({profile, id, fn});
}

TickRegistration::TickRegistration(const char* profile, TickFn fn) { ticks().push_back({profile, fn}); }

bool profileExists(const std::string& profile) {
  return std::any_of(table().begin(), table().end(), [&](const Entry& e) { return e.profile == profile; });
}

std::vector<std::string> profileNames() {
  std::vector<std::string> names;
  for (const Entry& e : table())
    if (std::find(names.begin(), names.end(), e.profile) == names.end()) names.push_back(e.profile);
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<ResponderFn> respondersFor(const std::string& profile, uint32_t id) {
  std::vector<ResponderFn> out;
  for (const Entry& e : table())
    if (e.profile == profile && (e.id == id || e.id == kAnyId)) out.push_back(e.fn);
  return out;
}

}  // namespace testserver

namespace testserver {

std::vector<TickFn> ticksFor(const std::string& profile) {
  std::vector<TickFn> out;
  for (const TickEntry& e : ticks())
    if (e.profile == profile) out.push_back(e.fn);
  return out;
}

}  // namespace testserver
