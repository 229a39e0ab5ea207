// map_seed_maker DIR: small seed maps for the fuzz target fuzz_map_load, sound and damaged.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "tools/mapwrite/mapwrite.h"

namespace {

void put(const std::string& dir, const std::string& name, std::vector<uint8_t> bytes, uint16_t x, uint16_t y) {
  // The target reads the view position from the last four bytes.
  for (uint16_t v : {x, y}) {
    bytes.push_back(static_cast<uint8_t>(v));
    bytes.push_back(static_cast<uint8_t>(v >> 8));
  }
  std::ofstream(dir + "/" + name, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                           static_cast<std::streamsize>(bytes.size()));
}

mapw::MapFile base() {
  mapw::MapFile m;
  m.title = "Seed";
  m.width = 1000;
  m.height = 700;
  m.cell_width = 50;
  m.cell_height = 50;
  m.cells = mapw::cells_from_art(
      "####################\n#..................#\n#.ww......111......#\n#.ww...............#\n"
      "#########.##########\n#..ss....#####.....#\n#..ss....#222#.....#\n#..................#\n"
      "#..................#\n#..................#\n#..................#\n#..................#\n"
      "#..................#\n####################\n");
  m.pages.push_back({0, 0, mapw::flat_page(200, 100, 50, 5)});
  mapw::Image tree;
  tree.left = 300;
  tree.top = 200;
  tree.width = 64;
  tree.height = 40;
  tree.anchor_y = 30;
  tree.flags = 0x40;
  tree.data.assign(8 * 40, 0xFF);
  mapw::Image arch = tree;
  arch.flags = 0xC0;
  arch.left = 600;
  m.images = {tree, arch};
  m.objects = {{"fountain.wav", 100, 100, 0, 0}, {"flag.mda", 400, 300, 1, 1}};
  m.regions = {mapw::region("Market", 1)};
  return m;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fputs("usage: map_seed_maker DIR\n", stderr);
    return 2;
  }
  const std::string dir = argv[1];
  put(dir, "seed_map.map", mapw::map_build(base()), 400, 300);
  mapw::MapFile reversed = base();
  reversed.blocks_reversed = true;
  put(dir, "seed_reversed.map", mapw::map_build(reversed), 990, 690);
  mapw::MapFile bare = base();
  bare.background = false;
  bare.images.clear();
  put(dir, "seed_bare.map", mapw::map_build(bare), 0, 0);
  mapw::MapFile pages = base();
  pages.faults.page_sizes = {{1, 0xFFFFFFF0u}};
  pages.pages_across = 2;
  put(dir, "seed_page_size.map", mapw::map_build(pages), 900, 600);
  mapw::MapFile counts = base();
  counts.faults.object_count = 3;
  counts.faults.region_count = -1;
  put(dir, "seed_counts.map", mapw::map_build(counts), 10, 10);
  mapw::MapFile cut = base();
  mapw::Layout at;
  mapw::map_build(cut, &at);
  cut.faults.truncate_to = at.regions + 100;
  put(dir, "seed_cut.map", mapw::map_build(cut), 500, 400);
  return 0;
}
