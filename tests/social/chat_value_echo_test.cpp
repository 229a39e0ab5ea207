// The chat link's value echo (0x40280): the argument goes back on the world link as 0xf0004, and
// a login retry that waits on the link-lost word (2) is told the chat link is back (3).
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "client/game/task_state.h"
#include "client/net/net_link.h"
#include "social/chat_msg/chat_msg_dispatch.h"
#include "tests/support/fake_net_client.h"
#include "tests/support/headless_fixture.h"

namespace {

int ignore_world(uint32_t, int32_t, const uint8_t*, uint32_t, bool) { return 0; }

class ChatValueEcho : public veldra_test::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    veldra_test::FakeNetModule::install();
    ASSERT_EQ(net_load_client(), 0);
    ASSERT_EQ(net_connect_world(0x0100007F, 4000, ignore_world), 0);
  }
  void TearDown() override {
    net_unload_client();
    veldra_test::FakeNetModule::clear();
    HeadlessTest::TearDown();
  }
  std::vector<veldra_test::FakeMessage>& worldSends() { return veldra_test::FakeNetModule::world()->sends; }
};

TEST_F(ChatValueEcho, EchoesTheArgumentAndEndsTheRetryWait) {
  const struct {
    int32_t word_before, word_after;
  } cases[] = {{2, 3}, {0, 0}, {1, 1}, {3, 3}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.word_before);
    worldSends().clear();
    link_lost_word = c.word_before;
    const uint8_t ignored[4] = {1, 2, 3, 4};
    chat_msg_dispatch(0x40280, -7, ignored, sizeof ignored, false);
    ASSERT_EQ(worldSends().size(), 1u);
    EXPECT_EQ(worldSends()[0].id, 0xf0004u);
    EXPECT_EQ(worldSends()[0].arg, -7);
    EXPECT_TRUE(worldSends()[0].payload.empty());
    EXPECT_EQ(link_lost_word, c.word_after);
  }
}

TEST_F(ChatValueEcho, OtherMessagesAreLeftAlone) {
  link_lost_word = 2;
  for (uint32_t id : {0x40074u, 0x4027fu, 0x40281u, 0xf0004u}) chat_msg_dispatch(id, 5, nullptr, 0, false);
  EXPECT_TRUE(worldSends().empty());
  EXPECT_EQ(link_lost_word, 2);
}

}  // namespace
