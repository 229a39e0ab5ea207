#include "graphics/img256/scene_masks.h"

#include "core/reset/module_resets.h"

SCENE_MASK_LIST scene_mask_list = {0, nullptr, nullptr, 0};

void scene_mask_list_reset() { scene_mask_list = {0, nullptr, nullptr, 0}; }

static const ModuleReset k_reset("scene masks", scene_mask_list_reset);
