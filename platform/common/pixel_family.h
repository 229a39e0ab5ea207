// The five 16-bit pixel families: their masks, and conversion for showing them.
#pragma once
#include <cstdint>
#include <optional>
#include <string_view>

#include "plat/types.h"

namespace plat::common {

// "565", "555", "655", "556", "444"; nullopt for anything else.
std::optional<PixelFamily> parsePixelFamily(std::string_view text);
// Converts n pixels of a 655 or 556 row to 565 (other families are copied).
void rowTo565(PixelFamily family, const uint16_t* src, uint16_t* dst, int n);
// One channel of a pixel scaled to 0..255 by its mask.
uint8_t channel8(uint16_t pixel, uint32_t mask);

}  // namespace plat::common
