// The built-in "client_net.dll" over real loopback sockets, against a raw peer.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "plat/netclient.h"
#include "plat/netframe.h"
#include "plat/sockets.h"
#include "tests/support/headless_fixture.h"

namespace {

namespace net = plat::net;
namespace nf = plat::netframe;
using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;

struct Got {
  uint32_t id;
  int32_t arg;
  std::string payload;
};

// The receive callback has no context pointer, so the test's hooks live here.
std::vector<Got> g_got;
std::function<void(const Got&, const uint8_t* payload)> g_onFrame;

int recordFrame(uint32_t id, int32_t arg, const uint8_t* payload, uint32_t len, void* ctx) {
  EXPECT_EQ(ctx, nullptr);
  Got g{id, arg, std::string(reinterpret_cast<const char*>(payload), len)};
  g_got.push_back(g);
  if (g_onFrame) g_onFrame(g, payload);
  return 0;
}

struct Release {
  void operator()(plat::INetClient* c) const { c->release(); }
};
using Link = std::unique_ptr<plat::INetClient, Release>;

Bytes frame(uint32_t id, int32_t arg, const std::string& payload) {
  Bytes b;
  nf::append(b, id, arg, payload.data(), static_cast<uint32_t>(payload.size()));
  return b;
}

class NetClientLoopback : public veldra_test::HeadlessTest {
 protected:
  void SetUp() override {
    HeadlessTest::SetUp();
    g_got.clear();
    g_onFrame = nullptr;
    listener = net::listen("127.0.0.1", 0, 8);
    ASSERT_TRUE(listener.valid());
    port = net::local(listener)->port;
  }
  void TearDown() override {
    g_onFrame = nullptr;
    HeadlessTest::TearDown();
  }

  Link makeLink() {
    plat::IModuleRegistry& m = plat::get().modules();
    plat::CreateInterfaceFn f = m.factory(m.load(plat::kNetClientModule));
    int rc = -1;
    void* p = f ? f(plat::kNetClientInterface, &rc) : nullptr;
    EXPECT_EQ(rc, 0);
    return Link(static_cast<plat::INetClient*>(p));
  }

  static net::Socket acceptFrom(net::Socket& l) {
    const auto end = Clock::now() + std::chrono::seconds(5);
    while (Clock::now() < end) {
      net::Socket s = net::accept(l);
      if (s.valid()) return s;
      net::WaitEntry w{&l};
      net::wait({&w, 1}, 50);
    }
    return net::Socket();
  }

  // A link connected to the listener, and the peer's end.
  Link connected(net::Socket& peer, uint32_t version = 0x2030001) {
    Link c = makeLink();
    EXPECT_EQ(c->connect(net::inetAddr("127.0.0.1"), port, 0, version, recordFrame, 0, 0), 0);
    peer = acceptFrom(listener);
    EXPECT_TRUE(peer.valid());
    Bytes hello = readExactly(peer, nf::kHeaderSize);
    EXPECT_EQ(hello, frame(0, static_cast<int32_t>(version), ""));
    return c;
  }

  static void sendAll(net::Socket& s, const Bytes& b) {
    size_t at = 0;
    const auto end = Clock::now() + std::chrono::seconds(5);
    while (at < b.size() && Clock::now() < end) {
      size_t done = 0;
      net::Io r = net::send(s, b.data() + at, b.size() - at, done);
      ASSERT_TRUE(r == net::Io::Ok || r == net::Io::WouldBlock);
      at += done;
      if (r == net::Io::WouldBlock) {
        net::WaitEntry w{&s, false, true};
        net::wait({&w, 1}, 50);
      }
    }
    ASSERT_EQ(at, b.size());
  }

  static Bytes readExactly(net::Socket& s, size_t n) {
    Bytes b(n);
    size_t at = 0;
    const auto end = Clock::now() + std::chrono::seconds(5);
    while (at < n && Clock::now() < end) {
      size_t done = 0;
      net::Io r = net::recv(s, b.data() + at, n - at, done);
      if (r == net::Io::Ok) {
        at += done;
      } else if (r == net::Io::WouldBlock) {
        net::WaitEntry w{&s};
        net::wait({&w, 1}, 50);
      } else {
        break;
      }
    }
    b.resize(at);
    return b;
  }

  // Polls until the predicate holds or 5 s pass; the last poll's result.
  static plat::NetPoll pollUntil(plat::INetClient& c, const std::function<bool(plat::NetPoll)>& done) {
    plat::NetPoll r = plat::NetPoll::Idle;
    const auto end = Clock::now() + std::chrono::seconds(5);
    do {
      r = c.poll(0);
      if (done(r)) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    } while (Clock::now() < end);
    return r;
  }

  net::Socket listener;
  uint16_t port = 0;
};

TEST_F(NetClientLoopback, HelloCarriesTheVersionValue) {
  net::Socket peer;
  Link c = connected(peer, 0x30004);  // checks the 12 hello bytes
  EXPECT_EQ(c->poll(0), plat::NetPoll::Idle);
}

TEST_F(NetClientLoopback, FramesSplitAnywhereArriveWhole) {
  net::Socket peer;
  Link c = connected(peer);

  // One byte at a time, polling between the bytes.
  for (uint8_t b : frame(0x20001, 7, "abc")) {
    sendAll(peer, Bytes{b});
    c->poll(0);
  }
  pollUntil(*c, [](plat::NetPoll) { return !g_got.empty(); });
  // Several frames in one write, then a header split over two writes.
  Bytes many = frame(1, 1, "x");
  for (const Bytes& f : {frame(2, 2, ""), frame(3, -3, std::string(5000, 'q'))}) many.insert(many.end(), f.begin(), f.end());
  sendAll(peer, many);
  pollUntil(*c, [](plat::NetPoll) { return g_got.size() >= 4; });
  Bytes split = frame(4, 4, "end");
  sendAll(peer, Bytes(split.begin(), split.begin() + 5));
  for (int i = 0; i < 20; ++i) {
    c->poll(0);
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  EXPECT_EQ(g_got.size(), 4u);  // half a header delivers nothing
  sendAll(peer, Bytes(split.begin() + 5, split.end()));
  pollUntil(*c, [](plat::NetPoll) { return g_got.size() >= 5; });

  ASSERT_EQ(g_got.size(), 5u);
  EXPECT_EQ(g_got[0].id, 0x20001u);
  EXPECT_EQ(g_got[0].arg, 7);
  EXPECT_EQ(g_got[0].payload, "abc");
  EXPECT_EQ(g_got[1].payload, "x");
  EXPECT_EQ(g_got[2].id, 2u);
  EXPECT_EQ(g_got[3].arg, -3);
  EXPECT_EQ(g_got[3].payload, std::string(5000, 'q'));
  EXPECT_EQ(g_got[4].payload, "end");
}

TEST_F(NetClientLoopback, LengthAboveCapIsLostUntilDisconnect) {
  net::Socket peer;
  Link c = connected(peer);
  Bytes b = frame(5, 0, "ok");
  auto bad = nf::header(nf::kDefaultMaxPayload + 1, 6, 0);
  b.insert(b.end(), bad.begin(), bad.end());
  sendAll(peer, b);
  EXPECT_EQ(pollUntil(*c, [](plat::NetPoll r) { return r == plat::NetPoll::Lost; }), plat::NetPoll::Lost);
  ASSERT_EQ(g_got.size(), 1u);  // the complete frame before it still arrived
  EXPECT_EQ(g_got[0].payload, "ok");
  EXPECT_EQ(c->poll(0), plat::NetPoll::Lost);
  EXPECT_EQ(c->poll(0), plat::NetPoll::Lost);
  EXPECT_EQ(c->send(1, 0, nullptr, 0), -1);
  c->disconnect();
  EXPECT_EQ(c->poll(0), plat::NetPoll::Idle);
}

// Why a link went, as the link reports it once the frames before the fault are delivered.
TEST_F(NetClientLoopback, LossSaysWhyWithTheByteCounts) {
  using R = plat::NetLossReason;
  auto join = [](std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts) all.insert(all.end(), p.begin(), p.end());
    return all;
  };
  auto headerOnly = [](uint32_t length, uint32_t id) {
    auto h = nf::header(length, id, 0);
    return Bytes(h.begin(), h.end());
  };
  const std::string http = "GET / HTTP/1.1\r\nHost: x\r\n\r\n";
  struct Row {
    const char* what;
    Bytes bytes;
    bool closeAfter;
    R reason;
    uint32_t frames;
    uint32_t pending;
    bool lengthKnown;
    uint32_t declared;
  };
  const Row rows[] = {
      {"length over the cap", join({frame(5, 0, "ok"), headerOnly(nf::kDefaultMaxPayload + 1, 6)}), false, R::TooLong,
       1, 12, true, nf::kDefaultMaxPayload + 1},
      {"length over the cap, then closed: the length is the cause",
       join({frame(5, 0, "ok"), headerOnly(nf::kDefaultMaxPayload + 1, 6)}), true, R::TooLong, 1, 12, true,
       nf::kDefaultMaxPayload + 1},
      {"cut short inside the payload, then closed", join({frame(5, 0, "ok"), headerOnly(100, 7), Bytes(10, 'z')}), true,
       R::CutShort, 1, 22, true, 100},
      {"cut short inside the header, then closed", join({frame(5, 0, "ok"), Bytes{1, 0, 0}}), true, R::CutShort, 1, 3,
       false, 0},
      {"garbage", Bytes(http.begin(), http.end()), false, R::TooLong, 0, static_cast<uint32_t>(http.size()), true,
       0x20544547},  // "GET " read as a length
      {"closed between frames", frame(5, 0, "ok"), true, R::PeerClosed, 1, 0, false, 0},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.what);
    g_got.clear();
    net::Socket peer;
    Link c = connected(peer);
    EXPECT_EQ(c->lossInfo().reason, R::None);
    sendAll(peer, r.bytes);
    if (r.closeAfter) peer.close();
    ASSERT_EQ(pollUntil(*c, [](plat::NetPoll p) { return p == plat::NetPoll::Lost; }), plat::NetPoll::Lost);
    EXPECT_EQ(g_got.size(), r.frames);  // whole frames before the fault still arrive
    const plat::NetLossInfo l = c->lossInfo();
    EXPECT_EQ(l.reason, r.reason);
    EXPECT_EQ(l.receivedBytes, r.bytes.size());
    EXPECT_EQ(l.frames, r.frames);
    EXPECT_EQ(l.pendingBytes, r.pending);
    EXPECT_EQ(l.lengthKnown, r.lengthKnown);
    EXPECT_EQ(l.declaredLength, r.declared);
    EXPECT_EQ(l.maxPayload, nf::kDefaultMaxPayload);
    EXPECT_EQ(l.osError, 0);
    const size_t headLength = std::min<size_t>(r.pending, sizeof l.head);
    ASSERT_EQ(l.headLength, headLength);
    const Bytes tail(r.bytes.end() - r.pending, r.bytes.end());
    EXPECT_TRUE(std::equal(l.head, l.head + headLength, tail.begin()));
    // Fixed once reported; gone with the disconnect.
    EXPECT_EQ(c->poll(0), plat::NetPoll::Lost);
    EXPECT_EQ(c->lossInfo().reason, r.reason);
    c->disconnect();
    EXPECT_EQ(c->lossInfo().reason, R::None);
  }
}

TEST_F(NetClientLoopback, ReconnectStartsTheCountsAgain) {
  net::Socket peer;
  Link c = connected(peer);
  sendAll(peer, frame(1, 0, "abc"));
  peer.close();
  ASSERT_EQ(pollUntil(*c, [](plat::NetPoll p) { return p == plat::NetPoll::Lost; }), plat::NetPoll::Lost);
  EXPECT_EQ(c->lossInfo().receivedBytes, 15u);

  // The same object, connected anew while lost: nothing of the old link is counted.
  c->disconnect();
  ASSERT_EQ(c->connect(net::inetAddr("127.0.0.1"), port, 0, 1, recordFrame, 0, 0), 0);
  net::Socket peer2 = acceptFrom(listener);
  ASSERT_EQ(readExactly(peer2, 12).size(), 12u);
  sendAll(peer2, Bytes{9});
  peer2.close();
  ASSERT_EQ(pollUntil(*c, [](plat::NetPoll p) { return p == plat::NetPoll::Lost; }), plat::NetPoll::Lost);
  const plat::NetLossInfo l = c->lossInfo();
  EXPECT_EQ(l.reason, plat::NetLossReason::CutShort);
  EXPECT_EQ(l.receivedBytes, 1u);
  EXPECT_EQ(l.frames, 0u);
  EXPECT_EQ(l.pendingBytes, 1u);
}

TEST_F(NetClientLoopback, PeerCloseIsLost) {
  net::Socket peer;
  Link c = connected(peer);
  sendAll(peer, frame(9, 0, "last"));
  peer.close();
  EXPECT_EQ(pollUntil(*c, [](plat::NetPoll r) { return r == plat::NetPoll::Lost; }), plat::NetPoll::Lost);
  ASSERT_EQ(g_got.size(), 1u);
  EXPECT_EQ(g_got[0].payload, "last");
}

TEST_F(NetClientLoopback, CallbackSendsGoOutInOrderAfterQueuedFrames) {
  net::Socket peer;
  Link c = connected(peer);
  plat::INetClient* link = c.get();
  g_onFrame = [link](const Got& g, const uint8_t*) {
    EXPECT_EQ(link->send(100 + g.id, 0, "r", 1), 0);
    EXPECT_EQ(link->send(200 + g.id, 0, nullptr, 0), 0);
  };
  EXPECT_EQ(c->send(50, 0, "before", 6), 0);
  Bytes two = frame(1, 0, "");
  Bytes f2 = frame(2, 0, "");
  two.insert(two.end(), f2.begin(), f2.end());
  sendAll(peer, two);
  pollUntil(*c, [](plat::NetPoll) { return g_got.size() >= 2; });

  Bytes want = frame(50, 0, "before");
  for (const Bytes& f : {frame(101, 0, "r"), frame(201, 0, ""), frame(102, 0, "r"), frame(202, 0, "")})
    want.insert(want.end(), f.begin(), f.end());
  EXPECT_EQ(readExactly(peer, want.size()), want);
}

TEST_F(NetClientLoopback, CallbackDisconnectStopsDeliveryAndKeepsThePayload) {
  net::Socket peer;
  Link c = connected(peer);
  plat::INetClient* link = c.get();
  std::string seenAfter;
  g_onFrame = [&](const Got& g, const uint8_t* payload) {
    link->disconnect();
    // The buffer the payload points into must survive until the poll returns.
    seenAfter.assign(reinterpret_cast<const char*>(payload), g.payload.size());
  };
  Bytes three = frame(1, 0, "first");
  for (const Bytes& f : {frame(2, 0, "second"), frame(3, 0, "third")}) three.insert(three.end(), f.begin(), f.end());
  sendAll(peer, three);
  pollUntil(*c, [](plat::NetPoll) { return !g_got.empty(); });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  EXPECT_EQ(c->poll(0), plat::NetPoll::Idle);
  ASSERT_EQ(g_got.size(), 1u);
  EXPECT_EQ(seenAfter, "first");

  // The same object connects again and works.
  g_onFrame = nullptr;
  net::Socket peer2;
  ASSERT_EQ(c->connect(net::inetAddr("127.0.0.1"), port, 0, 1, recordFrame, 0, 0), 0);
  peer2 = acceptFrom(listener);
  EXPECT_EQ(readExactly(peer2, 12), frame(0, 1, ""));
  sendAll(peer2, frame(4, 0, "again"));
  pollUntil(*c, [](plat::NetPoll) { return g_got.size() >= 2; });
  ASSERT_EQ(g_got.size(), 2u);
  EXPECT_EQ(g_got[1].payload, "again");
}

TEST_F(NetClientLoopback, CallbackConnectsAndPollsTheOtherLink) {
  net::Socket chatListener = net::listen("127.0.0.1", 0, 4);
  const uint16_t chatPort = net::local(chatListener)->port;
  net::Socket peer;
  Link world = connected(peer);
  Link chat = makeLink();
  plat::INetClient* w = world.get();
  plat::INetClient* ch = chat.get();
  net::Socket chatPeer;
  plat::NetPoll nestedSame = plat::NetPoll::Lost;
  g_onFrame = [&](const Got& g, const uint8_t*) {
    if (g.id != 0x30004) return;
    nestedSame = w->poll(0);  // the same link from its own callback
    ASSERT_EQ(ch->connect(net::inetAddr("127.0.0.1"), chatPort, 0, 0x30004, recordFrame, 0, 0), 0);
    chatPeer = acceptFrom(chatListener);
    sendAll(chatPeer, frame(0x40000, 0, "chat"));
    // A nested frame loop may poll the other link.
    pollUntil(*ch, [](plat::NetPoll r) { return r == plat::NetPoll::Delivered; });
  };
  Bytes b = frame(0x30004, 0, "");
  Bytes after = frame(0x30005, 0, "");
  b.insert(b.end(), after.begin(), after.end());
  sendAll(peer, b);
  pollUntil(*world, [](plat::NetPoll) { return g_got.size() >= 3; });

  EXPECT_EQ(nestedSame, plat::NetPoll::Idle);
  ASSERT_EQ(g_got.size(), 3u);
  EXPECT_EQ(g_got[0].id, 0x30004u);
  EXPECT_EQ(g_got[1].id, 0x40000u);  // delivered by the nested chat poll
  EXPECT_EQ(g_got[2].id, 0x30005u);
  EXPECT_EQ(readExactly(chatPeer, 12), frame(0, 0x30004, ""));
}

TEST_F(NetClientLoopback, AtMost256FramesPerPoll) {
  net::Socket peer;
  Link c = connected(peer);
  Bytes all;
  for (int i = 0; i < 300; ++i) {
    Bytes f = frame(static_cast<uint32_t>(i + 1), i, "");
    all.insert(all.end(), f.begin(), f.end());
  }
  sendAll(peer, all);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));  // all 3,600 bytes in our socket
  EXPECT_EQ(c->poll(0), plat::NetPoll::Delivered);
  EXPECT_EQ(g_got.size(), 256u);
  EXPECT_EQ(c->poll(0), plat::NetPoll::Delivered);
  ASSERT_EQ(g_got.size(), 300u);
  EXPECT_EQ(g_got[299].arg, 299);
  EXPECT_EQ(c->poll(0), plat::NetPoll::Idle);
}

TEST_F(NetClientLoopback, ExceptionFromCallbackPassesThroughAndTheLinkGoesOn) {
  net::Socket peer;
  Link c = connected(peer);
  g_onFrame = [](const Got& g, const uint8_t*) {
    if (g.id == 1) throw std::runtime_error("handler fault");
  };
  Bytes b = frame(1, 0, "boom");
  Bytes f2 = frame(2, 0, "next");
  b.insert(b.end(), f2.begin(), f2.end());
  sendAll(peer, b);
  bool thrown = false;
  const auto end = Clock::now() + std::chrono::seconds(5);
  while (!thrown && Clock::now() < end) {
    try {
      c->poll(0);
    } catch (const std::runtime_error&) {
      thrown = true;
    }
  }
  ASSERT_TRUE(thrown);
  EXPECT_EQ(c->poll(0), plat::NetPoll::Delivered);
  ASSERT_EQ(g_got.size(), 2u);
  EXPECT_EQ(g_got[1].payload, "next");
}

TEST_F(NetClientLoopback, RefusedOperations) {
  Link c = makeLink();
  EXPECT_EQ(c->send(1, 0, "x", 1), -1);  // not connected
  EXPECT_EQ(c->poll(0), plat::NetPoll::Idle);
  EXPECT_EQ(c->disconnect(), 0);         // harmless when unconnected
  uint8_t block[64];
  EXPECT_EQ(c->buildLoginBlock("a", "b", block, 63), -1);
  EXPECT_EQ(c->buildLoginBlock("a", "b", block, 64), 0);

  net::Socket peer;
  Link d = connected(peer);
  EXPECT_EQ(d->connect(net::inetAddr("127.0.0.1"), port, 0, 1, recordFrame, 0, 0), -1);
  Bytes big(nf::kDefaultMaxPayload + 1);
  EXPECT_EQ(d->send(1, 0, big.data(), static_cast<uint32_t>(big.size())), -1);
  EXPECT_EQ(d->poll(0), plat::NetPoll::Idle);  // the refusals did not end the link

  plat::IModuleRegistry& m = plat::get().modules();
  int rc = 0;
  EXPECT_EQ(m.factory(m.load("client_net"))("INetClient_002", &rc), nullptr);
  EXPECT_EQ(rc, 1);
}

TEST_F(NetClientLoopback, SendQueueOverflowLosesTheLink) {
  net::Socket peer;  // never reads
  Link c = connected(peer);
  Bytes chunk(nf::kDefaultMaxPayload);
  int result = 0;
  for (int i = 0; i < 256 && result == 0; ++i) result = c->send(7, 0, chunk.data(), static_cast<uint32_t>(chunk.size()));
  EXPECT_EQ(result, -1);
  EXPECT_EQ(c->poll(0), plat::NetPoll::Lost);
  EXPECT_EQ(c->lossInfo().reason, plat::NetLossReason::SendQueueFull);
}

TEST_F(NetClientLoopback, ConnectGivesUpAfterTheTimeout) {
  // A listener whose accept queue is full drops further handshakes.
  net::Socket full = net::listen("127.0.0.1", 0, 0);
  const uint16_t fullPort = net::local(full)->port;
  std::vector<net::Socket> fillers;
  for (int i = 0; i < 8; ++i) {
    net::Socket s = net::connect(net::inetAddr("127.0.0.1"), fullPort, 200);
    if (!s.valid()) break;
    fillers.push_back(std::move(s));
  }
  setenv("VELDRA_NET_CONNECT_TIMEOUT_MS", "200", 1);
  plat::reloadEnvironment();
  Link c = makeLink();
  const int r = c->connect(net::inetAddr("127.0.0.1"), fullPort, 0, 1, recordFrame, 0, 0);
  unsetenv("VELDRA_NET_CONNECT_TIMEOUT_MS");
  plat::reloadEnvironment();
  EXPECT_EQ(r, -1);
  EXPECT_EQ(c->send(1, 0, nullptr, 0), -1);
}

}  // namespace
