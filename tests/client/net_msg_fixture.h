// Fixture of the world dispatcher tests: SYSTEM (error.txt), the message box and pop-ups, and the
// fake network module with the world link connected.
#pragma once
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "client/game/battle_return.h"
#include "client/game/game_main_state.h"
#include "client/game/task_state.h"
#include "client/net/net_link.h"
#include "client/net_msg/net_dispatch.h"
#include "client/net_msg/net_msg_table.h"
#include "client/net_msg/pending_handlers.h"
#include "client/record/record.h"
#include "items/shop/shop_flags.h"
#include "social/chat_log/chat_log.h"
#include "tests/client/message_box_fixture.h"
#include "tests/support/fake_net_client.h"
#include "tests/support/scene_looks.h"
#include "ui/status_bars/player_status_bars.h"
#include "world/battle/battle_words.h"
#include "world/scene/scene_chars.h"

namespace net_msg_test {

class NetMsgTest : public box_test::BoxTest {
 protected:
  void SetUp() override {
    BoxTest::SetUp();
    // The looks the handlers' scene characters wear.
    for (int look = 0; look < 10; ++look) veldra_test::writeSceneLook(dir, look);
    veldra_test::FakeNetModule::install();
    ASSERT_EQ(net_load_client(), 0);
    ASSERT_EQ(net_connect_world(0x0100007F, 4000, net_dispatch_message), 0);
    world = veldra_test::FakeNetModule::world();
    ASSERT_NE(world, nullptr);
  }

  void TearDown() override {
    net_unload_client();
    veldra_test::FakeNetModule::clear();
    BoxTest::TearDown();
  }

  static int dispatch(uint32_t id, int32_t arg, const std::string& payload = {}, bool doNotRecord = false) {
    return net_dispatch_message(id, arg, reinterpret_cast<const uint8_t*>(payload.data()),
                                static_cast<uint32_t>(payload.size()), doNotRecord);
  }

  // The first len bytes of payload, copied into a heap block of exactly that size so that a
  // read past them is seen by ASan (none: a null pointer).
  static int dispatchPrefix(uint32_t id, int32_t arg, const std::string& payload, size_t len) {
    std::vector<uint8_t> bytes(payload.begin(), payload.begin() + static_cast<long>(len));
    return net_dispatch_message(id, arg, bytes.empty() ? nullptr : bytes.data(), static_cast<uint32_t>(len), false);
  }

  // error.txt's lines that contain the text.
  std::vector<std::string> logLines(const std::string& text) const {
    std::vector<std::string> out;
    const std::string log = errorTxt();
    size_t at = 0;
    while (at < log.size()) {
      size_t end = log.find('\n', at);
      if (end == std::string::npos) end = log.size();
      std::string line = log.substr(at, end - at);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.find(text) != std::string::npos) out.push_back(line);
      at = end + 1;
    }
    return out;
  }

  // The open pop-up windows' texts, by slot.
  std::vector<std::string> popups() const {
    std::vector<std::string> out;
    for (const MESSAGE_SLOT& s : message_slots)
      if (s.in_use) out.emplace_back(s.text);
    return out;
  }

  // The chat log's lines, oldest first.
  std::vector<CHAT_LINE> chatLog() const {
    std::vector<CHAT_LINE> out;
    const int32_t start = (chat_log.head - chat_log.count + CHAT_LOG_LINES) % CHAT_LOG_LINES;
    for (int32_t i = 0; i < chat_log.count; ++i) out.push_back(chat_log.lines[(start + i) % CHAT_LOG_LINES]);
    return out;
  }
  // Their texts.
  std::vector<std::string> chatLines() const {
    std::vector<std::string> out;
    for (const CHAT_LINE& l : chatLog()) out.emplace_back(l.text);
    return out;
  }

  veldra_test::FakeNetClient* world = nullptr;
};

}  // namespace net_msg_test
