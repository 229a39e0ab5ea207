#include "client/state/party_tables.h"

#include <cstdio>
#include <string>

#include "core/reset/module_resets.h"
#include "social/chat_log/chat_log.h"

PARTY_TABLES party_tables = [] {
  PARTY_TABLES t{};
  for (PARTY_RECORD& r : t.members) r.id = PARTY_FREE_ID;
  for (PARTY_RECORD& r : t.applicants) r.id = PARTY_FREE_ID;
  t.member_selected = t.applicant_selected = -1;
  return t;
}();

namespace {

void free_record(PARTY_RECORD& r) {
  r = {};
  r.id = PARTY_FREE_ID;
}

// Repeats size - 1 times: the first free record that a used one follows takes that used record,
// whose old place becomes free. Used records end up first, in their order.
void compact(PARTY_RECORD* records, int32_t size) {
  for (int32_t pass = 0; pass < size - 1; ++pass) {
    for (int32_t i = 0; i < size; ++i) {
      if (!party_record_free(records[i])) continue;
      int32_t j = i + 1;
      while (j < size && party_record_free(records[j])) ++j;
      if (j < size) {
        records[i] = records[j];
        free_record(records[j]);
      }
      break;
    }
  }
}

int32_t find(const PARTY_RECORD* records, int32_t size, uint32_t id) {
  for (int32_t i = 0; i < size; ++i)
    if (!party_record_free(records[i]) && records[i].id == id) return i;
  return -1;
}

int32_t add(PARTY_RECORD* records, int32_t size, const PARTY_RECORD& record) {
  for (int32_t i = 0; i < size; ++i) {
    if (!party_record_free(records[i])) continue;
    records[i] = record;
    return i;
  }
  return -1;
}

}  // namespace

std::string party_record_name(const PARTY_RECORD& r) {
  size_t n = 0;
  while (n < PARTY_NAME_SIZE && r.name[n] != '\0') ++n;
  return std::string(r.name, n);
}

void party_members_reset() {
  for (PARTY_RECORD& r : party_tables.members) free_record(r);
  party_tables.member_selected = -1;
}

void party_member_add(const PARTY_RECORD& record) { add(party_tables.members, PARTY_MEMBERS, record); }

int32_t party_member_find(uint32_t id) { return find(party_tables.members, PARTY_MEMBERS, id); }

void party_member_remove(uint32_t id) {
  const int32_t i = party_member_find(id);
  if (i < 0) return;
  const std::string name = party_record_name(party_tables.members[i]);
  free_record(party_tables.members[i]);
  char line[96];
  std::snprintf(line, sizeof line, PARTY_LEFT_TEXT, name.c_str());
  chat_log_add(7, 0, "", line, 0);
  compact(party_tables.members, PARTY_MEMBERS);
}

void party_applicants_reset() {
  for (PARTY_RECORD& r : party_tables.applicants) free_record(r);
  party_tables.applicant_selected = -1;
  party_tables.applicant_count = 0;
}

void party_applicant_add(const PARTY_RECORD& record) {
  if (add(party_tables.applicants, PARTY_APPLICANTS, record) >= 0) ++party_tables.applicant_count;
}

void party_applicant_remove(uint32_t id) {
  const int32_t i = find(party_tables.applicants, PARTY_APPLICANTS, id);
  if (i < 0) return;
  free_record(party_tables.applicants[i]);
  --party_tables.applicant_count;
  compact(party_tables.applicants, PARTY_APPLICANTS);
}

static const ModuleReset k_reset("party tables", [] {
  party_members_reset();
  party_applicants_reset();
});
