// Fixture of the character select and create tests: the task fixture with the world link on the
// fake network module, the screens' art written into the game folder (solid frames where the
// screens expect their buttons, JPEG backgrounds from the reference encoder), and a frame script:
// one action runs at the first present of each game frame, so that the next frame samples it.
#pragma once
#include <gtest/gtest.h>

#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "client/state/login_state.h"
#include "client/ui/message_box.h"
#include "engine/input/input.h"
#include "graphics/jpg/jpg_load.h"
#include "jpeg/jcodec.h"
#include "plat/winmsg.h"
#include "tests/client/task_fixture.h"
#include "tools/jpegwriter/jpegref.h"
#include "tools/mdawriter/img256_writer.h"
#include "tools/mdawriter/mda_writer.h"
#include "ui/game_leave/game_leave_mode.h"

namespace char_test {

struct Box {
  int x, y, w, h;
};

// A media file whose command "MainCommand<n>" plays steps[n] solid frames at box[n].
struct MediaSpec {
  std::map<int, Box> boxes;
  std::map<int, int> steps;  // default 1
};

inline std::vector<uint8_t> media_bytes(const MediaSpec& spec) {
  mdaw::MdaFile file;
  int colour = 40;
  for (const auto& [n, box] : spec.boxes) {
    const auto it = spec.steps.find(n);
    const int steps = it == spec.steps.end() ? 1 : it->second;
    file.command("MainCommand" + std::to_string(n));
    for (int s = 0; s < steps; ++s) {
      const std::string name = "f" + std::to_string(n) + "_" + std::to_string(s);
      mdaw::FrameGeometry g;
      g.box_x = static_cast<uint16_t>(box.x);
      g.box_y = static_cast<uint16_t>(box.y);
      colour = colour % 200 + 7;
      const uint8_t c = static_cast<uint8_t>(colour);
      file.frame(name, mdaw::img256_encode(mdaw::picture_fill(box.w, box.h, {c, 20, 20, 255}), g));
      file.step(name);
    }
  }
  return mdaw::mda_build(file);
}

// Commands first..last at one box.
inline MediaSpec same_box(int first, int last, Box box) {
  MediaSpec m;
  for (int n = first; n <= last; ++n) m.boxes[n] = box;
  return m;
}

// Where the select screen's slot i and its action buttons sit in the test art.
inline Box slot_box(int i) { return {560, 80 + 68 * i, 60, 60}; }
constexpr Box kCreateBox{20, 500, 100, 40}, kBackBox{620, 440, 100, 40}, kEnterBox{620, 500, 100, 40};
// The create screen's back and create buttons.
constexpr Box kCreateBackBox{600, 440, 100, 40}, kCreateCreateBox{600, 555, 100, 30};  // clear of the name box

class CharScreenTest : public task_test::TaskTest {
 protected:
  void SetUp() override {
    TaskTest::SetUp();
    jpg_codec_reset();
    jpeg_register_module();
    bindLinks(true, false);
    char_list.clear();
    onPresent = [this] { step(); };
  }
  void TearDown() override {
    onPresent = nullptr;
    char_list.clear();
    jpg_codec_reset();
    TaskTest::TearDown();
  }

  void writeFile(const std::string& rel, const std::vector<uint8_t>& bytes) {
    dir.write(rel, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  }
  void writeBackground(const std::string& rel) {
    jpegref::EncodeOpts o;
    writeFile(rel, jpegref::encode(jpegref::make_source(800, 600, 3), o));
  }
  void writeButtonFile(int opening_steps = 8) {
    MediaSpec m = same_box(0, 8, {300, 300, 20, 20});
    m.boxes[9] = {350, 250, 100, 50};
    m.steps[9] = opening_steps;
    writeFile("system/button.mda", media_bytes(m));
  }
  void writePictures(const std::string& rel) { writeFile(rel, media_bytes(same_box(0, 15, {200, 100, 40, 80}))); }

  // Everything the select screen opens.
  void writeSelectArt() {
    writeBackground("system/c1meu011.JPG");
    writeButtonFile();
    writePictures("system/Leader.mda");
    writePictures("system/Head.MDA");
    MediaSpec screen;
    screen.boxes[0] = {300, 20, 200, 40};
    for (int i = 0; i < 5; ++i)
      for (int k = 1; k <= 3; ++k) screen.boxes[3 * i + k] = slot_box(i);
    screen.boxes[16] = kCreateBox;
    screen.boxes[17] = kBackBox;
    screen.boxes[18] = kEnterBox;
    writeFile("system/c1meu011.MDA", media_bytes(screen));
  }

  // Everything the create screen opens; previews up to (not including) missing_preview.
  void writeCreateArt(int missing_preview = 8) {
    writeBackground("system/c1meu012.JPG");
    writeButtonFile();
    writePictures("system/Leader.mda");
    writePictures("system/head.mda");
    MediaSpec screen = same_box(3, 8, {80, 300, 30, 30});
    screen.boxes[0] = {577, 65, 100, 20};
    screen.boxes[1] = kCreateBackBox;
    screen.boxes[2] = kCreateCreateBox;
    screen.boxes[30] = {250, 140, 40, 40};
    screen.boxes[31] = {250, 140, 40, 40};
    screen.steps[30] = 4;
    screen.steps[31] = 6;
    writeFile("system/c1meu012.MDA", media_bytes(screen));
    writeFile("system/c1meu005c.MDA", media_bytes(same_box(0, 14, {770, 160, 20, 20})));
    for (int m = 0; m < missing_preview; ++m) {
      MediaSpec preview = same_box(0, 0, {0, 0, 10, 10});
      preview.boxes[31] = {0, 0, 30, 30};
      preview.steps[31] = 3;
      char rel[32];
      std::snprintf(rel, sizeof rel, "NPC/NPC%03da.MDA", m);
      writeFile(rel, media_bytes(preview));
    }
  }

  static CHAR_RECORD character(uint32_t id, const char* name, uint8_t race = 0, int16_t look = 0,
                               int16_t rebirth = 0, int16_t level = 1) {
    CHAR_RECORD c{};
    c.id = id;
    std::strncpy(c.name, name, CHAR_NAME_SIZE - 1);
    c.race = race;
    c.look = look;
    c.rebirth = rebirth;
    c.level = level;
    return c;
  }
  void setCharacters(int n) {
    char_list.clear();
    for (int i = 0; i < n; ++i) {
      const std::string name = "Hero" + std::to_string(i);
      char_list.push_back(character(100 + i, name.c_str(), static_cast<uint8_t>(i % 4), 0, 0, 10));
    }
  }

  // ---- the frame script -------------------------------------------------------------------

  // Queues an action for the next game frame; nothing queued for a frame lets it run idle.
  void then(std::function<void()> action) { script.push_back(std::move(action)); }
  void idle(int frames = 1) {
    for (int i = 0; i < frames; ++i) then([] {});
  }
  void press(int x, int y) {
    then([x, y] { input_on_mouse_message(plat::WM_LBUTTONDOWN, plat::MK_LBUTTON, (y << 16) | x); });
    then([x, y] { input_on_mouse_message(plat::WM_LBUTTONUP, 0, (y << 16) | x); });
  }
  void press(const Box& b) { press(b.x + b.w / 2, b.y + b.h / 2); }
  void key(uint8_t scan) {
    then([scan] { input_feed_scan_code(scan); });
    then([scan] { input_feed_scan_code(static_cast<uint8_t>(scan | 0x80)); });
  }
  void type(const std::string& text) {
    then([text] {
      for (char c : text) input_add_char(static_cast<uint8_t>(c));
    });
  }
  // The texts of the open pop-ups.
  static bool popupShows(const std::string& text) {
    for (const MESSAGE_SLOT& m : message_slots) {
      if (m.in_use && text == m.text) return true;
    }
    return false;
  }
  std::vector<veldra_test::FakeMessage> sent(uint32_t id) {
    std::vector<veldra_test::FakeMessage> out;
    for (const auto& m : worldLink()->sends) {
      if (m.id == id) out.push_back(m);
    }
    return out;
  }

  std::deque<std::function<void()>> script;
  // After the script the leave request, so that a screen that stays ends with -2.
  bool leave_when_done = true;
  int frames_seen = 0;

 private:
  void step() {
    if (frame_counter() == last_frame_) return;  // the fades and extra presents of one frame
    last_frame_ = frame_counter();
    ++frames_seen;
    if (!script.empty()) {
      auto action = std::move(script.front());
      script.pop_front();
      action();
    } else if (leave_when_done || frames_seen > 500) {
      game_leave_mode = {1, GAME_LEAVE_TO_LOGIN};
    }
  }
  uint64_t last_frame_ = 0;  // the frame counter starts at 0: the first fades are skipped
};

}  // namespace char_test
