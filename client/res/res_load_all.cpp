#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "client/common/bad_words.h"
#include "client/res/res_decode.h"
#include "client/res/res_tables.h"
#include "core/file/whole_file.h"
#include "core/grow_array.h"
#include "core/log/log.h"
#include "core/reset/module_resets.h"
#include "plat/bytes.h"

namespace {

struct ChatWord {
  char text[RES_CHAT_WORD_SIZE];
};
static_assert(sizeof(ChatWord) == RES_CHAT_WORD_SIZE);

struct Tables {
  GrowArray<ChatWord> chat;
  GrowArray<RES_SKILL_ENTRY> skill;
  GrowArray<RES_HELP_ENTRY> help;
  GrowArray<RES_HELP_ENTRY> help_top;
  GrowArray<RES_QUEST_ENTRY> quest;
  GrowArray<RES_NPC_ENTRY> npc;
  GrowArray<int32_t> npc_sub;  // indexes into npc, so the list survives the table's growth
};
Tables g;

constexpr size_t kHeaderCounts = 256;
constexpr size_t kTypeCodes = 568;
constexpr size_t kFieldName = 20;

void put(uint32_t& dst, const RES_FIELD& f) { dst = static_cast<uint32_t>(f.value); }
void put(int32_t& dst, const RES_FIELD& f) { dst = static_cast<int32_t>(static_cast<uint32_t>(f.value)); }
// strncpy into a zero-filled entry: at most size bytes, no NUL when the text fills them.
template <size_t N>
void put(char (&dst)[N], const RES_FIELD& f, size_t limit = N) {
  const size_t n = strnlen(f.text, std::min<size_t>(limit, f.text_length));
  std::memcpy(dst, f.text, n);
}

// Reads one table into out (emptied first): every complete record, each field decoded as
// res_read_field does (res_decode_field), handed to store(field index, field, entry). The header's counts and offsets are
// checked against the file before anything is read. Fields a record does not have stay zero.
// min_records > 0: fewer declared or complete records fails the table. Logs why it fails.
// kept: bit i set when the table keeps field i (the others are stepped over).
template <class Entry, class Store>
bool load_records(const char* path, int32_t min_records, uint64_t kept, GrowArray<Entry>& out, Store store) {
  out.free();
  FILE_BUFFER file;
  if (load_whole_file(path, &file) != 0) {
    sys_log_printf(1, "res file %s: cannot open", path);
    return false;
  }
  struct Release {
    FILE_BUFFER* f;
    ~Release() { file_buffer_free(f); }
  } release{&file};
  const uint64_t size = file.length;
  if (size < kTypeCodes) {
    sys_log_printf(1, "res file %s: header cut short (%u bytes)", path, file.length);
    return false;
  }
  plat::ByteReader header(file.data, file.length);
  header.seek(kHeaderCounts);
  const uint32_t data_offset = header.u32("data offset");
  const uint32_t records = header.u32("record count");
  const uint32_t fields = header.u32("field count");
  if (kTypeCodes + uint64_t{fields} * (4 + kFieldName) > size) {
    sys_log_printf(1, "res file %s: %u fields do not fit in %u bytes", path, fields, file.length);
    return false;
  }
  if (data_offset > size) {
    sys_log_printf(1, "res file %s: data offset %u past the end (%u bytes)", path, data_offset, file.length);
    return false;
  }
  header.seek(kTypeCodes);
  std::vector<uint32_t> types(fields);
  std::vector<uint64_t> widths(fields);
  uint64_t record_width = 0;
  for (uint32_t i = 0; i < fields; ++i) {
    types[i] = header.u32("type code");
    widths[i] = res_field_width(types[i]);
    if (types[i] % 100 == 4 && widths[i] > RES_TEXT_MAX) {
      sys_log_printf(1, "res file %s: field %d too wide", path, static_cast<int>(i));
      return false;
    }
    record_width += widths[i];
  }
  if (min_records > 0 && records < static_cast<uint32_t>(min_records)) {
    sys_log_printf(1, "res file %s: %u records, %d needed", path, records, min_records);
    return false;
  }
  if (records > 0 && record_width == 0) {
    sys_log_printf(1, "res file %s: records hold no bytes", path);
    return false;
  }
  const uint64_t complete = records == 0 ? 0 : std::min<uint64_t>(records, (size - data_offset) / record_width);
  if (complete < records) {
    sys_log_printf(1, "res file %s damaged: %u of %u records read", path, static_cast<unsigned>(complete),
                   records);
  }
  if (min_records > 0 && complete < static_cast<uint64_t>(min_records)) return false;

  plat::ByteReader data(file.data + data_offset, static_cast<size_t>(size - data_offset));
  if (complete > static_cast<uint64_t>(INT32_MAX)) {
    sys_log_printf(1, "res file %s: %u records are too many", path, records);
    return false;
  }
  // Each record is taken whole from the bounded reader, then cut into its fields: the widths
  // add up to the record's, so no field reaches past it.
  RES_FIELD scratch;
  out.grow(static_cast<int32_t>(complete));
  if (complete > 0) std::memset(static_cast<void*>(out.data), 0, static_cast<size_t>(complete) * sizeof(Entry));
  out.count = static_cast<int32_t>(complete);
  for (uint64_t r = 0; r < complete; ++r) {
    const uint8_t* p = data.bytes(static_cast<size_t>(record_width), "res record").data();
    Entry& entry = out.data[r];
    for (uint32_t i = 0; i < fields; ++i) {
      if (i < 64 && (kept >> i) & 1) {
        res_decode_field(types[i], widths[i], p, scratch);
        store(i, scratch, entry);
      }
      p += widths[i];
    }
  }
  return true;
}

BAD_WORD_LIST chat_words() {
  return {reinterpret_cast<const char(*)[BAD_WORD_SIZE]>(g.chat.data), static_cast<size_t>(g.chat.count)};
}
static_assert(BAD_WORD_SIZE == RES_CHAT_WORD_SIZE);

template <class T>
const T* entry_at(const GrowArray<T>& a, int32_t i) {
  return i >= 0 && i < a.count ? a.data + i : nullptr;
}

}  // namespace

int res_load_chat() {
  GrowArray<ChatWord> words;
  const bool ok = load_records("res\\chat.res", RES_CHAT_MIN_WORDS, 0b10, words,
                               [](uint32_t i, const RES_FIELD& f, ChatWord& w) {
                                 if (i == 1) put(w.text, f);
                               });
  if (!ok) return -1;
  g.chat = std::move(words);
  filter_bad_words_set_provider(&chat_words);
  return 0;
}

bool res_load_skill() {
  GrowArray<RES_SKILL_ENTRY> skills;
  const bool ok = load_records("res\\skill.res", 0, 0b111111, skills, [](uint32_t i, const RES_FIELD& f, RES_SKILL_ENTRY& e) {
    switch (i) {
      case 0: put(e.skill_id, f); break;
      case 1: put(e.level, f); break;
      case 2: put(e.name, f); break;
      case 3: put(e.field3, f); break;
      case 4: put(e.field4, f); break;
      case 5: put(e.description, f, sizeof e.description - 1); break;
      default: break;
    }
  });
  if (!ok) return false;
  g.skill = std::move(skills);
  return true;
}

bool res_load_help() {
  GrowArray<RES_HELP_ENTRY> help;
  const bool ok = load_records("res\\help.res", 0, 0b1111, help, [](uint32_t i, const RES_FIELD& f, RES_HELP_ENTRY& e) {
    switch (i) {
      case 0: put(e.id, f); break;
      case 1: put(e.parent_id, f); break;
      case 2: put(e.title, f); break;
      case 3: put(e.body, f); break;
      default: break;
    }
  });
  if (!ok) return false;
  GrowArray<RES_HELP_ENTRY> top;
  for (const RES_HELP_ENTRY& e : help)
    if (e.parent_id == 0) top.append(e);
  g.help = std::move(help);
  g.help_top = std::move(top);
  return true;
}

int res_load_task_mission() {
  GrowArray<RES_QUEST_ENTRY> quests;
  const bool ok = load_records("res\\task_mission.res", 0, 0x1FFBF, quests,
                               [](uint32_t i, const RES_FIELD& f, RES_QUEST_ENTRY& e) {
                                 switch (i) {
                                   case 0: put(e.first_id, f); break;
                                   case 1: put(e.last_id, f); break;
                                   case 2: put(e.name, f); break;
                                   case 3: e.level = static_cast<uint8_t>(f.value); break;
                                   case 4: put(e.text, f); break;
                                   case 5: put(e.text2, f); break;
                                   case 7: put(e.type, f); break;
                                   case 16: put(e.field16, f); break;
                                   default:
                                     if (i >= 8 && i <= 15) put(e.values[i - 8], f);
                                     break;
                                 }
                               });
  if (!ok) return -1;
  g.quest = std::move(quests);
  return 0;
}

int res_load_npc() {
  GrowArray<RES_NPC_ENTRY> npcs;
  const bool ok = load_records("res\\npc.res", 0, 0x3F87, npcs, [](uint32_t i, const RES_FIELD& f, RES_NPC_ENTRY& e) {
    switch (i) {
      case 0: put(e.id, f); break;
      case 1: put(e.field1, f); break;
      case 2: put(e.name, f); break;
      case 7: put(e.x, f); break;
      case 8: put(e.y, f); break;
      case 9: put(e.map_name, f); break;
      case 10: put(e.field10, f); break;
      case 11: put(e.field11, f); break;
      case 12: put(e.field12, f); break;
      case 13: put(e.field13, f); break;
      default: break;
    }
  });
  if (!ok) return -1;
  GrowArray<int32_t> sub;
  for (int32_t i = 0; i < npcs.count; ++i)
    if (npcs.data[i].field10 == 0) sub.append(i);
  g.npc = std::move(npcs);
  g.npc_sub = std::move(sub);
  return 0;
}

int res_load_all() {
  if (res_load_task_mission() != 0) return -1;
  if (res_load_npc() != 0) return -1;
  if (res_load_chat() != 0) return -1;
  if (!res_load_help()) return -1;
  if (!res_load_skill()) return -1;
  return 0;
}

void res_tables_reset() {
  if (g.chat.count > 0) filter_bad_words_set_provider(nullptr);
  g.chat.free();
  g.skill.free();
  g.help.free();
  g.help_top.free();
  g.quest.free();
  g.npc.free();
  g.npc_sub.free();
}

static const ModuleReset k_reset("res tables", res_tables_reset);

int32_t res_chat_word_count() { return g.chat.count; }
const char* res_chat_word(int32_t i) {
  const ChatWord* w = entry_at(g.chat, i);
  return w ? w->text : nullptr;
}
int32_t res_skill_count() { return g.skill.count; }
const RES_SKILL_ENTRY* res_skill_entry(int32_t i) { return entry_at(g.skill, i); }
int32_t res_help_count() { return g.help.count; }
const RES_HELP_ENTRY* res_help_entry(int32_t i) { return entry_at(g.help, i); }
int32_t res_help_top_count() { return g.help_top.count; }
const RES_HELP_ENTRY* res_help_top_entry(int32_t i) { return entry_at(g.help_top, i); }
int32_t res_quest_count() { return g.quest.count; }
const RES_QUEST_ENTRY* res_quest_entry(int32_t i) { return entry_at(g.quest, i); }
int32_t res_npc_count() { return g.npc.count; }
const RES_NPC_ENTRY* res_npc_entry(int32_t i) { return entry_at(g.npc, i); }
int32_t res_npc_sub_count() { return g.npc_sub.count; }
const RES_NPC_ENTRY* res_npc_sub_entry(int32_t i) {
  const int32_t* at = entry_at(g.npc_sub, i);
  return at ? entry_at(g.npc, *at) : nullptr;
}
