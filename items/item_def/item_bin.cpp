// Until the item tables are read the loads are recorded with their paths.
#include "items/item_def/item_bin.h"

#include "client/common/seam_calls.h"

void item_load_item_bin(const char* path) { seam_call("item_load_item_bin", 0, 0, 0, path ? path : ""); }
void scene_load_scene_bin(const char* path) { seam_call("scene_load_scene_bin", 0, 0, 0, path ? path : ""); }
