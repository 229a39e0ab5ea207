// Until the weather module is built the calls are recorded.
#include "world/weather/weather.h"

#include "client/common/seam_calls.h"
#include "client/game/game_main_state.h"

void weather_set(int32_t kind) { seam_call("weather_set", kind); }
void weather_update() { seam_call("weather_update"); }
void weather_draw(BITMAP16* /*target*/) {
  if (!weather_display_flag) return;
  seam_call("weather_draw");
}
