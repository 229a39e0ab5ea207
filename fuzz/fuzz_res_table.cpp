// Res tables -> each of the five loaders. The first input byte picks the loader (its value mod 5)
// and, with bit 3 set, puts a valid header for that table (400 records declared) before the rest,
// so the records themselves are fuzzed; otherwise the rest is the whole file. Any input loads a
// table or refuses it, never a fault: a loaded table holds no more entries than the file has
// bytes, chat.res loads only with 380 words or more, and a refused table stays empty.
#include <cstddef>
#include <cstdint>
#include <string>

#include "client/res/res_tables.h"
#include "fuzz/fuzz_support.h"
#include "plat/bytes.h"

namespace {

struct Loader {
  const char* file;
  bool (*load)();
  int32_t (*count)();
  const void* (*entry)(int32_t);
  size_t entry_size;
  uint32_t types[17];
  uint32_t fields;
};

const Loader kLoaders[] = {
    {"chat.res", [] { return res_load_chat() == 0; }, res_chat_word_count,
     [](int32_t i) -> const void* { return res_chat_word(i); }, RES_CHAT_WORD_SIZE, {3201, 2004}, 2},
    {"skill.res", res_load_skill, res_skill_count, [](int32_t i) -> const void* { return res_skill_entry(i); },
     sizeof(RES_SKILL_ENTRY), {3201, 3201, 3204, 3201, 3201, 25604}, 6},
    {"help.res", res_load_help, res_help_count, [](int32_t i) -> const void* { return res_help_entry(i); },
     sizeof(RES_HELP_ENTRY), {3201, 3201, 3204, 204804}, 4},
    {"task_mission.res", [] { return res_load_task_mission() == 0; }, res_quest_count,
     [](int32_t i) -> const void* { return res_quest_entry(i); }, sizeof(RES_QUEST_ENTRY),
     {3201, 3201, 6404, 3201, 30004, 6404, 3201, 3201, 3201, 3201, 3201, 3201, 3201, 3201, 3201, 3201, 3201}, 17},
    {"npc.res", [] { return res_load_npc() == 0; }, res_npc_count,
     [](int32_t i) -> const void* { return res_npc_entry(i); }, sizeof(RES_NPC_ENTRY),
     {3201, 3201, 3204, 3204, 3204, 3201, 3201, 3201, 3201, 3204, 3201, 3201, 3201, 3201}, 14},
};

std::string header(const Loader& l) {
  plat::ByteWriter w;
  w.zeros(256);
  w.u32(568 + 24 * l.fields);
  w.u32(400);
  w.u32(l.fields);
  w.zeros(300);
  for (uint32_t i = 0; i < l.fields; ++i) w.u32(l.types[i]);
  w.zeros(20 * l.fields);
  return std::string(w.data().begin(), w.data().end());
}

volatile uint32_t g_sink = 0;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = [] {
    fuzz_support::installHeadlessGameDir("res");
    std::filesystem::create_directory(fuzz_support::gameDir() / "res");
    return true;
  }();
  (void)ready;
  if (size == 0) return 0;
  const Loader& l = kLoaders[data[0] % 5];
  const std::string prefix = (data[0] & 8) ? header(l) : std::string();
  fuzz_support::writeGameFile(std::string("res/") + l.file, data + 1, size - 1, prefix);
  res_tables_reset();
  const bool loaded = l.load();
  const int32_t count = l.count();
  if (count < 0 || static_cast<size_t>(count) > prefix.size() + size) __builtin_trap();
  if (!loaded && count != 0) __builtin_trap();
  if (loaded && l.load == kLoaders[0].load && count < RES_CHAT_MIN_WORDS) __builtin_trap();
  uint32_t sum = 0;
  for (int32_t i = 0; i < count; ++i) {
    const auto* p = static_cast<const uint8_t*>(l.entry(i));
    if (!p) __builtin_trap();
    for (size_t b = 0; b < l.entry_size; b += 16) sum += p[b];
  }
  g_sink = sum;
  res_tables_reset();
  return 0;
}
