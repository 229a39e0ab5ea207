// Message 0x90001: the server's answer to the periodic ping shows the scene anew.
#include "client/handlers/client_handlers.h"
#include "client/screen_fx/screen_transitions.h"
#include "graphics/bitmap/screen_buffers.h"
#include "plat/crt.h"
#include "world/scene/scene_chars.h"

void pulse_on_reply(uint32_t, int32_t, net_msg::Payload) {
  scene_draw_frame(screen_new);
  // The choice is drawn even though the transition ignores it, so seeded runs stay in step.
  screen_transition_random3(plat::crt_rand() % 9);
}
