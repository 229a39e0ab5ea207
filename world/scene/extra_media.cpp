#include "world/scene/extra_media.h"

#include "core/reset/module_resets.h"

EXTRA_MEDIA_SLOT extra_media_slots[EXTRA_MEDIA_SLOTS] = {};
EXTRA_MEDIA_SLOT extra_media_small_slots[EXTRA_MEDIA_SMALL_SLOTS] = {};

void extra_media_reset() {
  constexpr EXTRA_MEDIA_SLOT kEmpty{{-1, -1}, 0, 0, 0, 0, 0, 0, 1};
  for (EXTRA_MEDIA_SLOT& s : extra_media_slots) s = kEmpty;
  for (EXTRA_MEDIA_SLOT& s : extra_media_small_slots) s = kEmpty;
}

static const ModuleReset k_reset("extra media", extra_media_reset);
