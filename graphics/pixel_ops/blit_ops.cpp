#include "graphics/pixel_ops/blit_ops.h"

BLIT_OPS blit_ops = {};
