#include "graphics/mda/mda_services.h"

#include <cstdarg>
#include <cstdio>

#include "client/sound/sound_front.h"
#include "client/ui/message_box.h"

namespace {

void real_box(const char* text) { show_message_box(text, 1); }

int32_t real_sound(const uint8_t* image, int32_t size, int32_t volume) {
  int32_t channel = 0;
  return play_sound_effect(1, "", image, size, 0, volume, 0, &channel);
}

MdaMessageFn g_box = real_box;
MdaSoundFn g_sound = real_sound;

}  // namespace

void mda_set_message_box(MdaMessageFn fn) { g_box = fn ? fn : real_box; }
void mda_set_sound_player(MdaSoundFn fn) { g_sound = fn ? fn : real_sound; }

void mda_message(const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof(text), format, args);
  va_end(args);
  g_box(text);
}

int32_t mda_play_sound(const uint8_t* image, int32_t size, int32_t volume) { return g_sound(image, size, volume); }
