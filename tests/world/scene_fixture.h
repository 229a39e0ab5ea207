// Fixture of the scene character tests: the dispatcher fixture's game folder, boxes, error.txt
// and fake network, the looks 0 to 9 (40 commands), a small blank map and record builders.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "graphics/mda/mda.h"
#include "tests/client/net_msg_fixture.h"
#include "tests/support/scene_looks.h"
#include "world/map/map_data.h"
#include "world/scene/scene_chars.h"

namespace scene_test {

constexpr uint32_t kPlayerId = 1001;
constexpr uint32_t kNpc = 0x80000000u, kPet = 0xC0000000u;

class SceneTest : public net_msg_test::NetMsgTest {
 protected:
  void SetUp() override {
    NetMsgTest::SetUp();
    blankMap(100, 100, 20, 20);
  }

  // A map of across x down cells of cw x ch pixels, no cell bits.
  static void blankMap(int32_t across, int32_t down, int32_t cw, int32_t ch) {
    map_record.display.cell_width = cw;
    map_record.display.cell_height = ch;
    map_record.display.map_width = across * cw;
    map_record.map_height = down * ch;
    map_record.cells_across = across;
    map_record.cells_down = down;
    map_record.cells.assign(static_cast<size_t>(across) * static_cast<size_t>(down), 0);
  }

  static SCENE_CHAR_RECORD record(uint32_t id, const std::string& name, int32_t look, uint16_t x, uint16_t y) {
    SCENE_CHAR_RECORD r{};
    r.id = id;
    std::memcpy(r.name, name.data(), std::min(name.size(), sizeof r.name));
    r.look = look;
    r.x = r.target_x = x;
    r.y = r.target_y = y;
    r.icon = -1;
    return r;
  }

  // The player at (x, y), so that characters near it get their looks.
  static int32_t addPlayer(uint16_t x = 1000, uint16_t y = 1000, int32_t look = 5) {
    scene_player_id = kPlayerId;
    return scene_add_char(record(kPlayerId, "Hero", look, x, y));
  }

  static const SCENE_CHAR& of(uint32_t id) { return scene_chars[scene_find_char(id)]; }

  // The media entry of a handle, or null.
  static MDA_ENTRY* entryOf(int32_t handle) {
    const int32_t i = mda_find_by_id(handle);
    return i >= 0 ? &mda_table.entries[i] : nullptr;
  }

  // A click that dismisses the next box.
  void dismissNextBox() { scheduleMessage(elapsedMs() + 200, plat::WM_LBUTTONUP, 0, (10 << 16) | 10); }
};

}  // namespace scene_test
