// The player's quests: two tables of 20 records, the first for quests whose definition range has
// a type word, the second for the others; used records stand at the front of each table.
#pragma once
#include <cstddef>
#include <cstdint>

constexpr int QUEST_TABLES = 2;
constexpr int QUEST_RECORDS = 20;
constexpr size_t QUEST_TEXT_SIZE = 122;  // 121 characters and a NUL
constexpr int QUEST_PROGRESS_WORDS = 9;

// What a quest message carries: the id, the text and the nine progress words.
struct QUEST_MESSAGE {
  uint32_t id;
  char text[QUEST_TEXT_SIZE];
  uint32_t progress[QUEST_PROGRESS_WORDS];
};

struct QUEST_RECORD {
  QUEST_MESSAGE quest;
  int32_t range;  // index of the quest's definition range; -1: an empty record
  uint8_t flag;   // cleared when the quest is stored
};

struct QUEST_STATE {
  QUEST_RECORD tables[QUEST_TABLES][QUEST_RECORDS];
  int32_t counts[QUEST_TABLES];
  int32_t selected;  // the quest window's selection, -1 none
  int32_t scroll;
};
extern QUEST_STATE quest_state;

// All 40 records empty, both counts 0, selection -1, scroll 0.
void quest_tables_reset();
// The index of the quest with that id in the second table (*table = 1), else the first (0), else
// -1 with *table = -1. Only the used records of each table are searched.
int32_t quest_find(uint32_t id, int32_t* table);
// Stores a received quest in the table its definition range chooses: into the first empty
// record, or over the record that already has its id. A quest in no range is stored by the
// first range unless its text is empty; with no definitions loaded it is not stored.
void quest_store(const QUEST_MESSAGE& quest);
// Removes the quest with that id: the later records move up and the count drops; when it was the
// selected record, the quest window's selection and scroll move back inside the shortened table.
// Nothing when it is not there.
void quest_remove(uint32_t id);
