// The party's member and applicant tables. Records are never freed: a free record carries
// PARTY_FREE_ID as its id (readers treat any negative id as free), and used records stand first.
#pragma once
#include <cstdint>
#include <string>

#include "plat/bytes.h"

constexpr int32_t PARTY_MEMBERS = 5;
constexpr int32_t PARTY_APPLICANTS = 20;
constexpr int32_t PARTY_RECORD_SIZE = 28;
constexpr int32_t PARTY_NAME_SIZE = 20;
constexpr uint32_t PARTY_FREE_ID = 0x80000000u;

struct PARTY_RECORD {
  uint32_t id;
  char name[PARTY_NAME_SIZE];  // not always NUL-terminated on the wire
  uint16_t value;              // updated by 0x30039
  uint16_t word_26;
};

constexpr plat::FieldSpec PARTY_RECORD_FIELDS[] = {
    {"id", 0, 4}, {"name", 4, 20}, {"value", 24, 2}, {"word 26", 26, 2},
};
static_assert(plat::checkLayout(PARTY_RECORD_FIELDS, PARTY_RECORD_SIZE));
constexpr auto PARTY_RECORD_WALK = [](auto& r, auto& v) {
  v.u32(r.id);
  v.bytes(r.name, PARTY_NAME_SIZE);
  v.u16(r.value);
  v.u16(r.word_26);
};
static_assert(plat::walkMatchesLayout<PARTY_RECORD>(PARTY_RECORD_FIELDS, PARTY_RECORD_WALK));

struct PARTY_TABLES {
  PARTY_RECORD members[PARTY_MEMBERS];
  int32_t member_selected;  // -1 none
  PARTY_RECORD applicants[PARTY_APPLICANTS];
  int32_t applicant_selected;  // -1 none
  int32_t applicant_count;     // used applicant records
};
extern PARTY_TABLES party_tables;

// The record's name up to its NUL, within its 20 bytes.
std::string party_record_name(const PARTY_RECORD& r);

inline bool party_record_free(const PARTY_RECORD& r) { return static_cast<int32_t>(r.id) < 0; }

void party_members_reset();
// Into the first free member record; nothing when all five are used.
void party_member_add(const PARTY_RECORD& record);
// The chat line for a member who left (printf form, one %s: the name).
constexpr const char* PARTY_LEFT_TEXT = "Note! %s left the party.";
// Frees the member, tells the chat log PARTY_LEFT_TEXT and compacts; nothing for an
// id not in the table.
void party_member_remove(uint32_t id);
void party_applicants_reset();
// Into the first free applicant record; nothing when all twenty are used.
void party_applicant_add(const PARTY_RECORD& record);
// Frees the applicant and compacts; nothing for an id not in the table.
void party_applicant_remove(uint32_t id);
// The index of the member with that id, or -1.
int32_t party_member_find(uint32_t id);
