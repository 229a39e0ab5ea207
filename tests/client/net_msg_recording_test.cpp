// Recording and mirroring of world messages by the dispatcher: which ids, the entry's bytes in the
// record file and in the mirror message, the first-message flag, and a failing record write.
#include <stdexcept>

#include "plat/bytes.h"
#include "tests/client/net_msg_fixture.h"

namespace {

using net_msg_test::NetMsgTest;

constexpr uint32_t kFrameTime = 123456;
const std::string kPayload = "abc";

// The entry a dispatch of (id, arg, kPayload) writes: head and payload.
std::string entryBytes(uint32_t id, int32_t arg) {
  plat::ByteWriter w;
  w.u32(RECORD_TAG);
  w.u32(kFrameTime);
  w.u32(id);
  w.i32(arg);
  w.u32(RECORD_KIND_WORLD);
  w.u32(static_cast<uint32_t>(kPayload.size()));
  w.bytes(kPayload.data(), kPayload.size());
  return std::string(w.data().begin(), w.data().end());
}

class NetMsgRecording : public NetMsgTest {
 protected:
  void start(bool recording, bool mirroring) {
    record_state_reset();
    world->sends.clear();
    if (recording) {
      record_start();
      ASSERT_EQ(record_state.recording, 1);
    }
    record_state.mirror = mirroring ? 1 : 0;
    frame_input.frame_time = kFrameTime;
  }
  // The record file's bytes after its header.
  std::string entries() const {
    const std::string f = dir.read(record_state.file_name);
    return f.size() > RECORD_ENTRIES_AT ? f.substr(RECORD_ENTRIES_AT) : std::string();
  }
  std::vector<std::string> mirrored() const {
    std::vector<std::string> out;
    for (const veldra_test::FakeMessage& m : world->sends) {
      EXPECT_EQ(m.id, MSG_RECORD_MIRROR);
      EXPECT_EQ(m.arg, 0);
      out.emplace_back(m.payload.begin(), m.payload.end());
    }
    return out;
  }
};

TEST_F(NetMsgRecording, WhichMessagesAreRecordedAndMirrored) {
  struct Case {
    uint32_t id;
    bool recording, mirroring, doNotRecord;
    bool written;  // to the file when recording, to the server when mirroring
  };
  const Case cases[] = {
      {0x20001, true, true, false, false},   // the login reply
      {0x30004, true, true, false, false},   // the chat address
      {0x30007, true, true, false, false},   // the character list
      {0x19000c, true, true, false, false},  // the mirror switch itself
      {0x3000b, true, false, false, true},   // not in the table: still recorded
      {0x30001, true, true, false, true},    // a table id
      {0x30001, false, true, false, true},   // mirroring alone
      {0x3000b, false, true, false, true},
      {0x30001, true, true, true, false},    // replayed: neither
      {0x30001, false, false, false, false}, // both off
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << std::hex << c.id << " rec " << c.recording << " mirror " << c.mirroring
                                    << " replayed " << c.doNotRecord);
    start(c.recording, c.mirroring);
    dispatch(c.id, -7, kPayload, c.doNotRecord);
    const std::string want = c.written ? entryBytes(c.id, -7) : std::string();
    if (c.recording) {
      EXPECT_EQ(entries(), want);
    }
    if (c.mirroring) {
      EXPECT_EQ(mirrored(), c.written ? std::vector<std::string>{want} : std::vector<std::string>{});
      if (c.written) {
        EXPECT_EQ(world->sends[0].payload.size(), RECORD_HEAD_SIZE + kPayload.size());
      }
    } else {
      EXPECT_TRUE(world->sends.empty());
    }
    EXPECT_EQ(record_state.first_message_recorded, c.written ? 1 : 0);
  }
}

TEST_F(NetMsgRecording, MirrorSwitchAndTheMessagesAfterIt) {
  start(true, false);
  dispatch(0x20001, 9, kPayload);  // not recorded (a status that shows nothing) ...
  EXPECT_EQ(record_state.first_message_recorded, 0);
  dispatch(0x30003, 2, kPayload);  // ... but the next one is
  EXPECT_EQ(entries(), entryBytes(0x30003, 2));

  dispatch(MSG_RECORD_MIRROR, 0, kPayload);  // turns mirroring on; neither recorded nor mirrored
  EXPECT_EQ(record_state.mirror, 1);
  EXPECT_TRUE(world->sends.empty());
  dispatch(0x3000b, 4, kPayload);
  EXPECT_EQ(mirrored(), std::vector<std::string>{entryBytes(0x3000b, 4)});
  dispatch(MSG_RECORD_MIRROR, 0, kPayload);  // not even while mirroring
  EXPECT_EQ(world->sends.size(), 1u);
  EXPECT_EQ(entries(), entryBytes(0x30003, 2) + entryBytes(0x3000b, 4));
}

int g_handled = 0;
void handled(uint32_t, int32_t, net_msg::Payload) { ++g_handled; }
void failingWriter(const RECORD_ENTRY&) { throw std::runtime_error("disk"); }

TEST_F(NetMsgRecording, FailingRecordWriteIsLoggedAndTheHandlerStillRuns) {
  start(true, false);
  g_handled = 0;
  net_msg_swap_handler(0x30003, handled);
  net_dispatch_set_record_writer(failingWriter);
  dispatch(0x30003, 9, kPayload);
  EXPECT_EQ(g_handled, 1);
  const std::vector<std::string> lines = logLines("Except code");
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].rfind("Except code : net_msg ", 0), 0u);
  EXPECT_TRUE(lines[0].ends_with(",MSG: 30003,9")) << lines[0];
  EXPECT_EQ(net_link.world_dispatching, 0);
}

}  // namespace
