#include "graphics/primitives/gfx_block.h"

#include <cstdlib>

#include "core/reset/module_resets.h"

namespace {
int fail_countdown = 0;
}  // namespace

void gfx_alloc_fail_at(int n) { fail_countdown = n; }

void* gfx_block_alloc(size_t n) {
  if (fail_countdown > 0 && --fail_countdown == 0) return nullptr;
  return std::calloc(1, n ? n : 1);
}

void gfx_block_free(void* block) { std::free(block); }

static const ModuleReset k_reset("block allocation failures", [] { gfx_alloc_fail_at(0); });
