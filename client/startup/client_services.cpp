// What the lower layers call back into the game for: the main window's close request and music
// event, and the media files' message box and sound.
#include "client/game/game_running.h"
#include "client/sound/music_state.h"
#include "client/sound/sound_front.h"
#include "client/startup/client_hooks.h"
#include "client/ui/message_box.h"
#include "engine/winfont/winfont.h"
#include "graphics/cake/cake.h"
#include "graphics/mda/mda_services.h"
#include "ui/game_leave/game_leave.h"

int client_close_request() {
  if (!game_running) return 0;
  game_on_close_request();
  return 1;
}

void client_music_event() { music_event_flag = 1; }

namespace {

void media_box(const char* text) { show_message_box(text, 1); }

int32_t media_sound(const uint8_t* image, int32_t size, int32_t volume) {
  int32_t channel = 0;
  return play_sound_effect(1, "", image, size, 0, volume, 0, &channel);
}

}  // namespace

void client_install_media_services() {
  mda_install_services(media_box, media_sound);
  mda_install_system_message(show_system_message);
  cake_set_text_drawer(font_draw_text);
}
