// Stand-in until the map loader's map change is built: the call is recorded.
#include "client/common/seam_calls.h"
#include "world/scene/scene_chars.h"

void map_change() { seam_call("map_change"); }
