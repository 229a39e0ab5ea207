// Stand-in until the map loader is built: the call is recorded and nothing is loaded.
#include "client/common/seam_calls.h"
#include "core/reset/module_resets.h"
#include "world/map/map_load.h"

int32_t map_load_standin_result = 0;

int32_t map_load_file(const char* path, int32_t x, int32_t y) {
  seam_call("map_load_file", x, y, 0, path ? path : "");
  return map_load_standin_result;
}

static const ModuleReset k_reset("map load stand-in", [] { map_load_standin_result = 0; });
