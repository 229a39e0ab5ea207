#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <stdexcept>

#include "graphics/mda/mda.h"
#include "graphics/mda/mda_services.h"
#include "tools/mdawriter/mdapack.h"

namespace mdaw {

namespace {

std::string g_messages;
void keep_message(const char* text) { g_messages += std::string(text) + "\n"; }

std::string line(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string line(const char* format, ...) {
  char buffer[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(buffer, sizeof(buffer), format, args);
  va_end(args);
  return std::string(buffer) + "\n";
}

std::string name_of(const char* field, size_t n) { return std::string(field, strnlen(field, n)); }

}  // namespace

std::string mdapack_list(const std::string& game_path) {
  g_messages.clear();
  mda_set_message_box(keep_message);
  int32_t id = -1;
  const int result = mda_load_file(game_path.c_str(), &id);
  mda_set_message_box(nullptr);
  if (result != 0) throw std::runtime_error(g_messages.empty() ? "load failed" : g_messages);
  const int32_t index = mda_find_by_id(id);
  const MDA_ENTRY& e = mda_table.entries[index];
  std::string out = line("frames %d", e.frame_count);
  for (int32_t i = 0; i < e.frame_count; ++i) {
    const MDA_FRAME_RECORD& f = e.frames[i];
    const std::string name = name_of(f.name, MDA_FRAME_NAME_SIZE);
    if (const Img256Frame* img = mda_frame_image(index, i)) {
      out += line("  %d \"%s\" image size=%u box=%u,%u %ux%u hot=%d,%d", i, name.c_str(), f.size, img->box_x(),
                  img->box_y(), img->width(), img->height(), img->hot_x(), img->hot_y());
    } else {
      const bool wave = is_wave_format(e.data + f.offset, f.size) == 0;
      out += line("  %d \"%s\" %s size=%u", i, name.c_str(), wave ? "wave" : "raw", f.size);
    }
  }
  out += line("commands %d", e.command_records);
  for (int32_t c = 0; c < e.command_records; ++c) {
    const int32_t steps = c < e.command_count ? e.step_count[c] : 0;
    out += line("  %d \"%s\" steps=%d", c, e.commands[c].name, steps);
    char name[MDA_NAME_SIZE], second[MDA_NAME_SIZE];
    for (int32_t s = 0; s < steps; ++s) {
      if (mda_get_step_frame_name(c, s, index, name) != 0) continue;
      std::string text = line("    step %d \"%s\"", s, name);
      if (mda_get_step_sound(c, s, index, second) == 0) {
        text.pop_back();
        text += " second \"" + std::string(second) + "\"\n";
      }
      out += text;
    }
  }
  mda_object_release(&id);
  return out;
}

}  // namespace mdaw
