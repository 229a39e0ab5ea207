// Fixture of the core handler tests: the dispatcher's fixture with the player's own character in
// the scene, and readers for the notice lines, the macro events and the pop-ups.
#pragma once
#include <string>
#include <vector>

#include "client/game/frame_input.h"
#include "client/res/res_tables.h"
#include "client/ui/message_box.h"
#include "social/chat_log/chat_log.h"
#include "social/macro/macro_system.h"
#include "tests/client/handler_payloads.h"
#include "tests/client/net_msg_fixture.h"
#include "tools/reswrite/reswrite.h"
#include "ui/notices/notice_lines.h"

class CoreHandlers : public net_msg_test::NetMsgTest {
 protected:
  static constexpr uint32_t kOwnId = 1001;

  // The player's own character enters the scene.
  void enterOwn(const std::string& name = "Hero") {
    frame_input.own_char_id = kOwnId;
    dispatch(0x30012, 1, handler_test::sceneChar(kOwnId, name, 10, 20, 3));
  }

  struct QuestRange {
    uint32_t first, last, type;
  };
  // res/task_mission.res with these quest definition ranges, in this order, loaded.
  void loadQuestRanges(const std::vector<QuestRange>& ranges) {
    resw::Table t;
    t.types = {3201, 3201, 6404, 3201, 30004, 6404, 3201, 3201};
    for (int i = 0; i < 9; ++i) t.types.push_back(3201);
    t.names.assign(t.types.size(), "q");
    for (const QuestRange& r : ranges) {
      std::vector<resw::Cell> row(t.types.size(), resw::Cell{int64_t{0}});
      row[0] = int64_t{r.first};
      row[1] = int64_t{r.last};
      row[2] = row[4] = row[5] = std::string("q");
      row[7] = int64_t{r.type};
      t.rows.push_back(row);
    }
    const std::vector<uint8_t> bytes = resw::write_table(t);
    dir.write("res/task_mission.res", std::string(bytes.begin(), bytes.end()));
    ASSERT_EQ(res_load_task_mission(), 0);
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

  // The chat log's lines, oldest first.
  static std::vector<std::string> chatLines() {
    std::vector<std::string> out;
    const int32_t start = (chat_log.head - chat_log.count + CHAT_LOG_LINES) % CHAT_LOG_LINES;
    for (int32_t i = 0; i < chat_log.count; ++i) out.emplace_back(chat_log.lines[(start + i) % CHAT_LOG_LINES].text);
    return out;
  }

  std::vector<uint32_t> sentIds() const {
    std::vector<uint32_t> ids;
    for (const auto& m : world->sends) ids.push_back(m.id);
    return ids;
  }
};
