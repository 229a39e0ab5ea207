#include "updater/server_entry.h"

#include <algorithm>
#include <cstring>

#include "core/reset/module_resets.h"
#include "plat/cp936.h"

namespace updater {

namespace {

SERVER_ENTRY g_chosen;

void copyText(char* field, size_t capacity, std::string_view text, size_t keep) {
  if (keep > capacity - 1) keep = capacity - 1;
  std::memset(field, 0, capacity);
  std::memcpy(field, text.data(), keep);
}

void chosen_reset() { g_chosen = SERVER_ENTRY{}; }
const ModuleReset k_reset("UPDATER_CHOSEN_SERVER", chosen_reset);

}  // namespace

void SetEntryIP(SERVER_ENTRY& e, std::string_view text) {
  copyText(e.loginIP, sizeof e.loginIP, text, std::min<size_t>(text.size(), SERVER_IP_CHARS));
}

void SetEntryVersion(SERVER_ENTRY& e, std::string_view text) {
  copyText(e.ver, sizeof e.ver, text, std::min<size_t>(text.size(), SERVER_IP_CHARS));
}

void SetEntryName(SERVER_ENTRY& e, std::string_view text) {
  copyText(e.name, sizeof e.name, text, plat::cp936::wholeLength(text, SERVER_NAME_BYTES));
}

SERVER_ENTRY& chosenServer() { return g_chosen; }

}  // namespace updater
