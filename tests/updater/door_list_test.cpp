// Door.DAT from the door list text and from the event-driven reply, and the reply's socket events.
#include <gtest/gtest.h>

#include <algorithm>

#include "plat/sockets.h"
#include "plat/winmsg.h"
#include "tests/updater/gateway_fixture.h"
#include "updater/door_list.h"

namespace {

using namespace gateway_test;

struct Field {
  int32_t nameLength;
  std::string name;
  int32_t id;
  uint32_t addr;
  int32_t port, load;
  uint8_t avail;
};

// One entry of the event-driven reply.
Bytes entry(const Field& f) {
  plat::ByteWriter w;
  w.i32(f.nameLength);
  w.i32(f.id);
  w.u32(f.addr);
  w.i32(f.port);
  w.i32(f.load);
  w.u8(f.avail);
  w.zeros(3);
  w.bytes(f.name.data(), f.name.size());
  return w.take();
}

Field named(std::string name, int32_t id) {
  return {static_cast<int32_t>(name.size()), name, id, 0x0100000A, 6000, 150, 1};
}

// The reply after its leading count.
Bytes storeBody(int32_t n, const std::vector<Field>& entries, int32_t a = 3, int32_t b = 2) {
  Bytes out = concat({le32(static_cast<uint32_t>(a)), le32(static_cast<uint32_t>(b))});
  const std::string texts = std::string("ftp", a >= 0 && a <= 3 ? a : 0) + std::string("/p", b >= 0 && b <= 2 ? b : 0);
  out.insert(out.end(), texts.begin(), texts.end());
  const Bytes count = le32(static_cast<uint32_t>(n));
  out.insert(out.end(), count.begin(), count.end());
  for (const Field& f : entries) {
    const Bytes e = entry(f);
    out.insert(out.end(), e.begin(), e.end());
  }
  return out;
}

class DoorList : public GatewayTest {
 protected:
  Bytes doorDat() {
    if (!dir.exists("Door.DAT")) return {};
    const std::string s = dir.read("Door.DAT");
    return Bytes(s.begin(), s.end());
  }
  // The index at 256 and the lead of zeros before it.
  void expectIndex(const Bytes& f, int32_t n) {
    ASSERT_EQ(f.size(), 272u + 84u * n);
    EXPECT_TRUE(std::all_of(f.begin(), f.begin() + 256, [](uint8_t v) { return v == 0; }));
    plat::ByteReader r(f.data() + 256, 16);
    EXPECT_EQ(r.i32(), 272);
    EXPECT_EQ(r.i32(), 272 + 84 * n);
    EXPECT_EQ(r.i32(), 84 * n);
    EXPECT_EQ(r.i32(), 0);
  }
};

TEST_F(DoorList, Table) {
  struct Case {
    const char* what;
    std::string text;
    int result;
    std::string firstName;  // of the written file
  } cases[] = {
      {"one entry", "1|north@7@10.0.0.1@6000@150@1|", 1, "north"},
      {"count above the entries", "2|north@7@10.0.0.1@6000@150@1|", 0, ""},
      {"no bar", "1 north@7@10.0.0.1@6000@150@1", 0, ""},
      {"count 0", "0|", 0, ""},
      {"a field missing", "1|north@7@10.0.0.1@6000@150|", 0, ""},
      {"70-byte name", "1|" + std::string(70, 'n') + "@7@10.0.0.1@6000@150@1|", 1, std::string(63, 'n')},
      // A double-byte character across byte 63 goes whole.
      {"name cut on a character", "1|" + std::string(62, 'n') + "\xB0\xA1@7@10.0.0.1@6000@150@1|", 1,
       std::string(62, 'n')},
      {"count 101", "101|" + [] {
         std::string s;
         for (int i = 0; i < 101; ++i) s += "n@7@10.0.0.1@6000@150@1|";
         return s;
       }(), 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::remove(dir.hostPath("Door.DAT").c_str());
    EXPECT_EQ(dlg().WriteDoorList(c.text), c.result);
    const Bytes f = doorDat();
    if (c.result == 0) {
      EXPECT_TRUE(f.empty());
      continue;
    }
    expectIndex(f, 1);
    plat::ByteReader r(f.data() + 272, 84);
    EXPECT_EQ(r.fixedString(64), c.firstName);
    EXPECT_EQ(f[272 + c.firstName.size()], 0);
    EXPECT_EQ(r.i32(), 7);
    EXPECT_EQ(Bytes(f.begin() + 272 + 68, f.begin() + 272 + 72), (Bytes{10, 0, 0, 1}));  // network order
    r.skip(4);
    EXPECT_EQ(r.i32(), 6000);
    EXPECT_EQ(r.i32(), 150);
    EXPECT_EQ(r.u8(), 1);
    EXPECT_EQ(Bytes(f.begin() + 272 + 81, f.end()), Bytes(3, 0));
  }
}

TEST_F(DoorList, Store) {
  const Field a = named("north", 7), b = named("south", 8);
  const Bytes two = storeBody(2, {a, b});
  // Where the second entry's fields start.
  const size_t second = two.size() - entry(b).size();
  std::vector<Field> hundred;
  for (int i = 0; i < 100; ++i) hundred.push_back(named("n" + std::to_string(i), i));
  Field longName = named(std::string(70, 'L'), 9);
  Field pastEnd = named("west", 10);
  pastEnd.nameLength = 5;
  struct Case {
    const char* what;
    Bytes body;
    int code;
    int32_t lines;
  } cases[] = {
      {"two lines", two, 0, 2},
      {"N = 1", storeBody(1, {a}), updater::DOOR_STORE_BAD_COUNT, 0},
      {"N = 100", storeBody(100, hundred), 0, 100},
      {"N = 101", storeBody(101, hundred), updater::DOOR_STORE_BAD_COUNT, 0},
      {"cut before the name length", Bytes(two.begin(), two.begin() + second), updater::DOOR_STORE_CUT_NAME_LENGTH, 0},
      {"cut before the id", Bytes(two.begin(), two.begin() + second + 4), updater::DOOR_STORE_CUT_ID, 0},
      {"cut before the address", Bytes(two.begin(), two.begin() + second + 8), updater::DOOR_STORE_CUT_ADDRESS, 0},
      {"cut before the port", Bytes(two.begin(), two.begin() + second + 12), updater::DOOR_STORE_CUT_PORT, 0},
      {"cut before the load", Bytes(two.begin(), two.begin() + second + 16), updater::DOOR_STORE_CUT_LOAD, 0},
      {"cut before the flag", Bytes(two.begin(), two.begin() + second + 20), updater::DOOR_STORE_CUT_FLAG, 0},
      {"name past the end", storeBody(2, {a, pastEnd}), updater::DOOR_STORE_BAD_NAME, 0},
      {"negative name length", storeBody(2, {a, {-1, "", 1, 0, 0, 0, 0}}), updater::DOOR_STORE_BAD_NAME, 0},
      {"A = -1", storeBody(2, {a, b}, -1), updater::DOOR_STORE_BAD_HEAD, 0},
      {"A = 2^31 - 1", storeBody(2, {a, b}, 0x7FFFFFFF), updater::DOOR_STORE_BAD_HEAD, 0},
      {"B = 2^31 - 1", storeBody(2, {a, b}, 3, 0x7FFFFFFF), updater::DOOR_STORE_BAD_HEAD, 0},
      {"70-byte name", storeBody(2, {a, longName}), 0, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    std::remove(dir.hostPath("Door.DAT").c_str());
    dlg().doorLineCount = -5;
    EXPECT_EQ(dlg().StoreDoorFile(c.body), c.code);
    const Bytes f = doorDat();
    if (c.code != 0) {
      EXPECT_TRUE(f.empty());
      EXPECT_EQ(dlg().doorLineCount, -5);
      continue;
    }
    EXPECT_EQ(dlg().doorLineCount, c.lines);
    expectIndex(f, c.lines);
    const Bytes second84(f.begin() + 272 + 84, f.begin() + 272 + 168);
    if (std::string(c.what) == "70-byte name") {
      EXPECT_EQ(second84, line(std::string(63, 'L'), 9, 0x0100000A, 6000, 150, 1));
    } else if (c.lines == 2) {
      EXPECT_EQ(Bytes(f.begin() + 272, f.end()), concat({line("north", 7, 0x0100000A, 6000, 150, 1), line("south", 8, 0x0100000A, 6000, 150, 1)}));
    }
  }
  std::remove(dir.hostPath("Door.DAT").c_str());
  dir.mkdir("Door.DAT");
  EXPECT_EQ(dlg().StoreDoorFile(two), updater::DOOR_STORE_NO_FILE);
}

// The socket events, with a loopback connection standing in for the gateway.
class DoorSocket : public DoorList {
 protected:
  void SetUp() override {
    DoorList::SetUp();
    plat::net::Socket listener = plat::net::listen("127.0.0.1", 0, 1);
    ASSERT_TRUE(listener.valid());
    dlg().doorSocket = plat::net::connect(plat::net::inetAddr("127.0.0.1"), plat::net::local(listener)->port, 2000);
    ASSERT_TRUE(dlg().doorSocket.valid());
    for (int i = 0; i < 200 && !gateway_.valid(); ++i) {
      plat::net::WaitEntry w{&listener};
      plat::net::wait({&w, 1}, 10);
      gateway_ = plat::net::accept(listener);
    }
    ASSERT_TRUE(gateway_.valid());
  }
  // Reads until the bytes sent so far are all in, as the read events would come.
  void readEvents(size_t want) {
    for (int i = 0; i < 500 && dlg().receivedCount < want; ++i) {
      plat::net::WaitEntry w{&dlg().doorSocket};
      plat::net::wait({&w, 1}, 10);
      dlg().OnDoorSocket(1, 0);
    }
  }
  // The gateway's side: sends the bytes in pieces, closes, and the events follow as the window
  // would get them.
  void play(const Bytes& reply) {
    dlg().OnDoorSocket(16, 0);
    size_t at = 0;
    while (at < reply.size()) {
      size_t done = 0;
      ASSERT_EQ(plat::net::send(gateway_, reply.data() + at, std::min<size_t>(1000, reply.size() - at), done),
                plat::net::Io::Ok);
      at += done;
      readEvents(at);
    }
    ASSERT_EQ(dlg().receivedCount, reply.size());
    gateway_.close();
    dlg().OnDoorSocket(32, 0);
  }
  plat::net::Socket gateway_;
};

TEST_F(DoorSocket, ReplyWritesDoorDatAndPosts) {
  std::vector<Field> lines;
  for (int i = 0; i < 60; ++i) lines.push_back(named("line" + std::to_string(i), 100 + i));  // several reads
  const Bytes body = storeBody(60, lines);
  play(concat({le32(static_cast<uint32_t>(body.size())), body}));
  expectIndex(doorDat(), 60);
  EXPECT_EQ(dlg().doorLineCount, 60);
  const std::optional<updater::Status> s = sink.tryTake();
  ASSERT_TRUE(s.has_value());
  EXPECT_EQ(s->code, updater::UPD_UPDATE_INFO_READY);
  EXPECT_TRUE(hp().boxes().empty());
  EXPECT_FALSE(dlg().doorSocket.valid());
}

TEST_F(DoorSocket, CountOffByOneIsFatal) {
  const Bytes body = storeBody(2, {named("a", 1), named("b", 2)});
  play(concat({le32(static_cast<uint32_t>(body.size() + 1)), body}));
  EXPECT_TRUE(doorDat().empty());
  ASSERT_EQ(hp().boxes().size(), 1u);
  EXPECT_EQ(hp().boxes()[0].text, " Server is busy, might be under maintenance or you are not connected to the internet ");
  EXPECT_EQ(hp().boxes()[0].caption, "Veldra Saga update client");
  EXPECT_EQ(hp().boxes()[0].style & 0xF0u, plat::MB_ICONHAND);
  EXPECT_EQ(hp().openedUrls().size(), 1u);
  EXPECT_EQ(dlg().endCode(), updater::UPDATE_END_FATAL);
  EXPECT_FALSE(sink.tryTake().has_value());
}

TEST_F(DoorSocket, ConnectErrorShowsTheEmptyText) {
  dlg().OnDoorSocket(16, 10061);
  ASSERT_EQ(hp().boxes().size(), 1u);
  EXPECT_EQ(hp().boxes()[0].text, "");
  EXPECT_EQ(hp().boxes()[0].caption, "Veldra Saga update client");
  EXPECT_EQ(dlg().endCode(), updater::UPDATE_END_FATAL);
  EXPECT_TRUE(dlg().receiveBuffer.empty());
}

// A failed read ends the reply: the socket closes and the partial bytes go.
TEST_F(DoorSocket, ReadErrorDropsTheReply) {
  dlg().OnDoorSocket(16, 0);
  const Bytes part = le32(100);
  size_t done = 0;
  ASSERT_EQ(plat::net::send(gateway_, part.data(), part.size(), done), plat::net::Io::Ok);
  readEvents(part.size());
  ASSERT_EQ(dlg().receivedCount, part.size());
  dlg().doorSocket = plat::net::tcpSocket();  // never connected: its read fails
  dlg().OnDoorSocket(1, 0);
  EXPECT_EQ(hp().boxes().size(), 1u);
  EXPECT_EQ(dlg().endCode(), updater::UPDATE_END_FATAL);
  EXPECT_FALSE(dlg().doorSocket.valid());
  EXPECT_TRUE(dlg().receiveBuffer.empty());
  EXPECT_EQ(dlg().receivedCount, 0u);
  dlg().OnDoorSocket(32, 0);  // the close that follows finds nothing to store
  EXPECT_TRUE(doorDat().empty());
  EXPECT_EQ(hp().boxes().size(), 1u);
}

}  // namespace
