// Fixture of the core handler tests: the dispatcher's fixture with the player's own character in
// the scene, and readers for the notice lines, the macro events and the pop-ups.
#pragma once
#include <string>
#include <vector>

#include "client/game/frame_input.h"
#include "client/ui/message_box.h"
#include "social/macro/macro_system.h"
#include "tests/client/handler_payloads.h"
#include "tests/client/net_msg_fixture.h"
#include "ui/notices/notice_lines.h"

class CoreHandlers : public net_msg_test::NetMsgTest {
 protected:
  static constexpr uint32_t kOwnId = 1001;

  // The player's own character enters the scene.
  void enterOwn(const std::string& name = "Hero") {
    frame_input.own_char_id = kOwnId;
    dispatch(0x30012, 1, handler_test::sceneChar(kOwnId, name, 10, 20, 3));
  }

  // The notice lines, newest first.
  static std::vector<std::string> notices() {
    std::vector<std::string> out;
    for (int i = 0; i < notice_lines().count; ++i) out.emplace_back(notice_lines().lines[i]);
    return out;
  }

  static std::vector<int32_t> macroEvents() {
    int32_t n = 0;
    const MACRO_EVENT_RECORD* e = macro_raised_events(&n);
    std::vector<int32_t> out;
    for (int32_t i = 0; i < n; ++i) out.push_back(e[i].event);
    return out;
  }

  static std::vector<std::string> popups() {
    std::vector<std::string> out;
    for (const MESSAGE_SLOT& s : message_slots)
      if (s.in_use) out.emplace_back(s.text);
    return out;
  }

  std::vector<uint32_t> sentIds() const {
    std::vector<uint32_t> ids;
    for (const auto& m : world->sends) ids.push_back(m.id);
    return ids;
  }
};
