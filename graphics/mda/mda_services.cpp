#include "graphics/mda/mda_services.h"

#include <cstdarg>
#include <cstdio>

#include "core/log/log.h"
#include "core/reset/module_resets.h"

namespace {

// Until the game installs its services a message is only logged and no sound plays.
void log_box(const char* text) { sys_log(1, text); }
int32_t no_sound(const uint8_t*, int32_t, int32_t) { return 0; }

MdaMessageFn g_real_box = log_box;
MdaSoundFn g_real_sound = no_sound;
MdaMessageFn g_box = log_box;
MdaSoundFn g_sound = no_sound;

}  // namespace

void mda_install_services(MdaMessageFn box, MdaSoundFn sound) {
  g_box = g_real_box = box ? box : log_box;
  g_sound = g_real_sound = sound ? sound : no_sound;
}

void mda_set_message_box(MdaMessageFn fn) { g_box = fn ? fn : g_real_box; }
void mda_set_sound_player(MdaSoundFn fn) { g_sound = fn ? fn : g_real_sound; }

void mda_message(const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof(text), format, args);
  va_end(args);
  g_box(text);
}

int32_t mda_play_sound(const uint8_t* image, int32_t size, int32_t volume) { return g_sound(image, size, volume); }

namespace {
void log_system_message(const char* text, uint8_t) { sys_log(1, text); }
MdaSystemMessageFn g_real_system = log_system_message;
MdaSystemMessageFn g_system = log_system_message;
}  // namespace

void mda_install_system_message(MdaSystemMessageFn fn) { g_system = g_real_system = fn ? fn : log_system_message; }
void mda_set_system_message(MdaSystemMessageFn fn) { g_system = fn ? fn : g_real_system; }

void mda_system_message(uint8_t flag, const char* format, ...) {
  char text[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(text, sizeof(text), format, args);
  va_end(args);
  g_system(text, flag);
}

// A run of the game installs its services again; a reset puts the logging defaults back so that
// what one run installed does not reach into the next. A hook set over them (a test's recorder)
// stays.
static const ModuleReset k_reset("media services", [] {
  if (g_box == g_real_box) g_box = log_box;
  if (g_sound == g_real_sound) g_sound = no_sound;
  if (g_system == g_real_system) g_system = log_system_message;
  g_real_box = log_box;
  g_real_sound = no_sound;
  g_real_system = log_system_message;
});
