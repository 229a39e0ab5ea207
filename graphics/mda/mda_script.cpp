// The command script compiler.
#include <cstring>

#include "graphics/mda/mda_index.h"
#include "graphics/mda/mda_internal.h"
#include "graphics/mda/mda_services.h"
#include "graphics/primitives/gfx_block.h"

const char kMdaLongNameMessage[] = "MDA file name of database is too long, please reinstall the client or contact GM!";

namespace {

// The text into a 20-byte name; a text of 19 characters or more leaves the name empty.
void copy_name(char* out, const char* text, size_t n, int* long_names) {
  if (n > MDA_MAX_TEXT) {
    ++*long_names;
    return;
  }
  std::memcpy(out, text, n);
  out[n] = 0;
}

template <class T>
T* table_of(int32_t n) {
  return static_cast<T*>(gfx_block_alloc(sizeof(T) * static_cast<size_t>(n)));
}

}  // namespace

int32_t mda_count_commands(const uint8_t* data, size_t size, uint32_t offset) {
  int32_t count = 0;
  mda_walk_script(data, size, offset, [&](uint8_t type, const char*, size_t) {
    if (type == MDA_RECORD_COMMAND) ++count;
  });
  return count;
}

int mda_compile_into(MDA_ENTRY& e, int* long_names) {
  gfx_block_free(e.current_step);
  gfx_block_free(e.step_count);
  const size_t per_command = sizeof(int32_t) * static_cast<size_t>(e.command_count > 0 ? e.command_count : 0);
  e.current_step = static_cast<int32_t*>(gfx_block_alloc(per_command));
  e.step_count = static_cast<int32_t*>(gfx_block_alloc(per_command));
  if (!e.current_step || !e.step_count) return -1;

  int32_t commands = 0, steps = 0, seconds = 0;
  mda_walk_script(e.data, e.data_size, e.script_offset, [&](uint8_t type, const char*, size_t) {
    if (type == MDA_RECORD_COMMAND) ++commands;
    if (type == MDA_RECORD_STEP) ++steps;
    if (type == MDA_RECORD_SECOND || type == MDA_RECORD_SECOND_ALT) ++seconds;
  });
  gfx_block_free(e.commands);
  gfx_block_free(e.steps);
  gfx_block_free(e.seconds);
  e.commands = nullptr;
  e.steps = nullptr;
  e.seconds = nullptr;
  e.command_records = commands;
  e.step_records = steps;
  e.second_records = seconds;
  if ((commands && !(e.commands = table_of<MDA_COMMAND>(commands))) ||
      (steps && !(e.steps = table_of<MDA_STEP>(steps))) ||
      (seconds && !(e.seconds = table_of<MDA_STEP_FRAME>(seconds)))) {
    return -1;
  }

  int32_t c = -1, s = 0;
  int64_t key_base = -MDA_KEY_STEP;  // 64 bits: a file may hold more commands than 32-bit keys reach
  int32_t ci = 0, si = 0, ki = 0;
  auto close_command = [&] {
    if (c >= 0 && c < e.command_count) e.step_count[c] = s;
  };
  mda_walk_script(e.data, e.data_size, e.script_offset, [&](uint8_t type, const char* text, size_t n) {
    if (type == MDA_RECORD_COMMAND) {
      close_command();
      ++c;
      key_base += MDA_KEY_STEP;
      s = 0;
      e.commands[ci].number = static_cast<uint32_t>(c);
      copy_name(e.commands[ci++].name, text, n, long_names);
    } else if (type == MDA_RECORD_STEP) {
      e.steps[si].command = static_cast<uint32_t>(c);
      copy_name(e.steps[si++].frame, text, n, long_names);
      ++s;
    } else if (type == MDA_RECORD_SECOND || type == MDA_RECORD_SECOND_ALT) {
      e.seconds[ki].key = static_cast<uint32_t>(key_base + s - 1);  // wraps as the 32-bit key did
      copy_name(e.seconds[ki++].frame, text, n, long_names);
    }
  });
  close_command();
  return 0;
}

int mda_compile_commands(int32_t entry) {
  if (entry < 0 || entry >= mda_table.entries.count) return -1;
  MDA_ENTRY& e = mda_table.entries[entry];
  int long_names = 0;
  int result = mda_compile_into(e, &long_names);
  if (result == 0) {
    mda_index_free(e.index);
    e.index = mda_index_build(e);
    if (!e.index) result = -1;
  }
  // The boxes run nested frames: nothing in the table is touched after the first one.
  if (result != 0) mda_message("Unable to collocate memory");
  for (int i = 0; i < long_names; ++i) mda_message("%s", kMdaLongNameMessage);
  return result;
}
