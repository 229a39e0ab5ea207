// Map file bytes -> map_load_file (the view at a position from the input's last four bytes),
// then the page cache, the view drawn and composed, the cell queries and the layered images: no
// input may fault, hang or allocate beyond what the file holds.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <limits>

#include "fuzz/fuzz_support.h"
#include "graphics/bitmap/bitmap16.h"
#include "jpeg/jcodec.h"
#include "plat/headless.h"
#include "world/map/map_cells.h"
#include "world/map/map_data.h"
#include "world/map/map_load.h"
#include "world/map/map_pages.h"

namespace {

BITMAP16* view = nullptr;
BITMAP16* work = nullptr;

// What one input may pump: a load shows its messages without waiting, so a few frames at most.
constexpr uint64_t kDrainsPerInput = 10000;

void setUp() {
  // The frame and fake-time budgets are per input, not for the whole run of inputs.
  plat::HeadlessOptions o;
  o.maxDrains = kDrainsPerInput;
  o.maxFakeMs = std::numeric_limits<uint64_t>::max();
  fuzz_support::installHeadlessGameDir("map", o);
  jpeg_register_module();
  std::filesystem::create_directories(fuzz_support::gameDir() / "MAP");
  view = bitmap16_create(800, 600);
  work = bitmap16_create(1600, 900);
  std::atexit([] {
    bitmap16_free(&view);
    bitmap16_free(&work);
    map_control_free();
    for (MAP_PAGE_SLOT& s : map_record.pages) bitmap16_free(&s.bitmap);
  });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool ready = (setUp(), true);
  (void)ready;
  if (size > (4u << 20)) return 0;
  int32_t x = 400, y = 300;
  if (size >= 4) {
    x = data[size - 4] | (data[size - 3] << 8);
    y = data[size - 2] | (data[size - 1] << 8);
  }
  plat::HeadlessPlatform& hp = *plat::headless();
  hp.options().maxDrains = hp.drains() + kDrainsPerInput;
  fuzz_support::writeGameFile("MAP/FUZZ.MAP", data, size);
  if (map_load_file("MAP\\FUZZ.MAP", x, y) != 0) return 0;
  map_draw_view(view, x - 400, y - 300);
  map_compose_view(work, work, x - 400, y - 300);
  (void)map_page_find(x, y);
  (void)map_page_missing(x + 900, y);
  for (int32_t c = -1; c <= 2; ++c) {
    (void)map_cell_is_blocked(c, c);
    (void)map_cell_test_2000(map_record.cells_across - 1 + c, c);
    (void)map_cell_test_1000(c, map_record.cells_down - 1 + c);
  }
  (void)map_images_hit(x, y, 40, 80);
  return 0;
}
