// The network client module over loopback against an in-process echo peer, each beside a bare
// yardstick on the same peer:
// - throughput of 64-byte messages (send plus poll delivery): at least 0.7x a raw non-blocking
//   socket with a bare length-prefixed reader and no callbacks;
// - round trip (send, poll until the reply is delivered): at most 1.5x the raw socket's;
// - an idle poll of a connected link: at most 2x one recv that finds nothing.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstring>
#include <thread>
#include <vector>

#include "bench/bench_ratio.h"
#include "plat/headless.h"
#include "plat/netclient.h"
#include "plat/netframe.h"
#include "plat/sockets.h"

namespace {

namespace net = plat::net;
namespace nf = plat::netframe;

constexpr int kBatch = 64;
constexpr uint32_t kPayload = 64;

// Echoes every byte back on each connection, on its own thread.
class EchoPeer {
 public:
  EchoPeer() {
    listener_ = net::listen("127.0.0.1", 0, 8);
    port_ = net::local(listener_)->port;
    thread_ = std::thread([this] { loop(); });
  }
  ~EchoPeer() {
    stop_ = true;
    thread_.join();
  }
  uint16_t port() const { return port_; }

 private:
  void loop() {
    std::vector<net::Socket> conns;
    std::vector<uint8_t> buf(1 << 16);
    while (!stop_) {
      std::vector<net::WaitEntry> w(1 + conns.size());
      w[0].socket = &listener_;
      for (size_t i = 0; i < conns.size(); ++i) w[i + 1].socket = &conns[i];
      net::wait(w, 20);
      if (w[0].readable)
        for (net::Socket s = net::accept(listener_); s.valid(); s = net::accept(listener_)) conns.push_back(std::move(s));
      for (size_t i = 0; i < conns.size(); ++i) {
        if (!w.size() || i + 1 >= w.size() || !w[i + 1].readable) continue;
        size_t got = 0;
        while (net::recv(conns[i], buf.data(), buf.size(), got) == net::Io::Ok) {
          size_t at = 0;
          while (at < got && !stop_) {
            size_t done = 0;
            net::Io r = net::send(conns[i], buf.data() + at, got - at, done);
            if (r == net::Io::Ok) {
              at += done;
            } else if (r == net::Io::WouldBlock) {
              net::WaitEntry out{&conns[i], false, true};
              net::wait({&out, 1}, 20);
            } else {
              break;
            }
          }
        }
      }
    }
  }

  net::Socket listener_;
  uint16_t port_ = 0;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

int g_delivered = 0;
int countFrame(uint32_t, int32_t, const uint8_t*, uint32_t, void*) {
  ++g_delivered;
  return 0;
}

struct Client {
  Client() {
    if (!plat::installed()) plat::installHeadless();
    plat::IModuleRegistry& m = plat::get().modules();
    link = static_cast<plat::INetClient*>(m.factory(m.load(plat::kNetClientModule))(plat::kNetClientInterface, nullptr));
    link->connect(net::inetAddr("127.0.0.1"), peer.port(), 0, 1, countFrame, 0, 0);
  }
  ~Client() { link->release(); }
  EchoPeer peer;
  plat::INetClient* link = nullptr;
};

// The bare yardstick: a raw socket and a length-prefixed reader.
struct Raw {
  Raw() { s = net::connect(net::inetAddr("127.0.0.1"), peer.port(), 2000); }
  void sendFrame(const std::vector<uint8_t>& f) {
    size_t at = 0;
    while (at < f.size()) {
      size_t done = 0;
      if (net::send(s, f.data() + at, f.size() - at, done) == net::Io::Ok) at += done;
    }
  }
  // Reads until n whole frames arrived.
  void receive(int n) {
    while (n > 0) {
      size_t got = 0;
      if (net::recv(s, in.data() + have, in.size() - have, got) != net::Io::Ok) continue;
      have += got;
      size_t at = 0;
      while (have - at >= nf::kHeaderSize) {
        uint32_t len;
        std::memcpy(&len, in.data() + at, 4);
        if (have - at < nf::kHeaderSize + len) break;
        at += nf::kHeaderSize + len;
        --n;
      }
      std::memmove(in.data(), in.data() + at, have - at);
      have -= at;
    }
  }
  EchoPeer peer;
  net::Socket s;
  std::vector<uint8_t> in = std::vector<uint8_t>(1 << 16);
  size_t have = 0;
};

void BM_ClientThroughput64(benchmark::State& state) {
  Client c;
  uint8_t payload[kPayload] = {};
  for (auto _ : state) {
    g_delivered = 0;
    for (int i = 0; i < kBatch; ++i) c.link->send(0x100, i, payload, kPayload);
    while (g_delivered < kBatch) c.link->poll(0);
  }
  state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK(BM_ClientThroughput64)->UseRealTime();

void BM_AnchorThroughput64(benchmark::State& state) {
  Raw r;
  uint8_t payload[kPayload] = {};
  std::vector<uint8_t> frame;
  nf::append(frame, 0x100, 0, payload, kPayload);
  for (auto _ : state) {
    for (int i = 0; i < kBatch; ++i) r.sendFrame(frame);
    r.receive(kBatch);
  }
  state.SetItemsProcessed(state.iterations() * kBatch);
}
BENCHMARK(BM_AnchorThroughput64)->UseRealTime();

void BM_ClientRoundTrip(benchmark::State& state) {
  Client c;
  uint8_t payload[kPayload] = {};
  for (auto _ : state) {
    g_delivered = 0;
    c.link->send(0x100, 0, payload, kPayload);
    while (g_delivered < 1) c.link->poll(0);
  }
}
BENCHMARK(BM_ClientRoundTrip)->UseRealTime();

void BM_AnchorRoundTrip(benchmark::State& state) {
  Raw r;
  uint8_t payload[kPayload] = {};
  std::vector<uint8_t> frame;
  nf::append(frame, 0x100, 0, payload, kPayload);
  for (auto _ : state) {
    r.sendFrame(frame);
    r.receive(1);
  }
}
BENCHMARK(BM_AnchorRoundTrip)->UseRealTime();

void BM_ClientIdlePoll(benchmark::State& state) {
  Client c;
  for (auto _ : state) benchmark::DoNotOptimize(c.link->poll(0));
}
BENCHMARK(BM_ClientIdlePoll)->UseRealTime();

void BM_AnchorIdleRecv(benchmark::State& state) {
  Raw r;
  uint8_t b[64];
  for (auto _ : state) {
    size_t got = 0;
    benchmark::DoNotOptimize(net::recv(r.s, b, sizeof b, got));
  }
}
BENCHMARK(BM_AnchorIdleRecv)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  return bench_ratio::run(argc, argv,
                          {{"BM_ClientThroughput64/real_time", "BM_AnchorThroughput64/real_time",
                            "messages per second over the raw socket's, target >= 0.7", true},
                           {"BM_ClientRoundTrip/real_time", "BM_AnchorRoundTrip/real_time",
                            "round trip over the raw socket's, target <= 1.5", false},
                           {"BM_ClientIdlePoll/real_time", "BM_AnchorIdleRecv/real_time",
                            "idle poll over one empty recv, target <= 2.0", false}});
}
