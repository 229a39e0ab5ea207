// Cursor file bytes -> parseCursorFile: any input gives a consistent cursor or nothing, never a
// fault.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "plat/cursor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::optional<plat::CursorImage> img = plat::parseCursorFile(std::span<const uint8_t>(data, size));
  if (!img) return 0;
  if (img->frames.empty() || img->stepFrames.empty() || img->stepFrames.size() != img->stepJiffies.size()) std::abort();
  for (const plat::CursorFrame& f : img->frames) {
    if (f.width <= 0 || f.height <= 0 || f.argb.size() != static_cast<size_t>(f.width) * f.height) std::abort();
    if (f.hotSpot.x < 0 || f.hotSpot.x >= f.width || f.hotSpot.y < 0 || f.hotSpot.y >= f.height) std::abort();
  }
  for (uint32_t s : img->stepFrames)
    if (s >= img->frames.size()) std::abort();
  return 0;
}
