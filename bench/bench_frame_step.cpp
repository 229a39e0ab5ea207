// The frame step's period on the real clock. These periods are by design, printed so that
// nobody "improves" the pacing by accident:
// - outside a scene: one poll, paced to 31 ms (expected 31 to 33 ms a frame);
// - in a scene with idle links: 16 polls with 3 ms pauses (expected about 48 to 50 ms);
// - in a scene with a message on every poll: the first poll ends the polling (31 to 33 ms).
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <thread>

#include "bench/bench_headless.h"
#include "client/game/frame_input.h"
#include "client/game/frame_step.h"
#include "client/net/net_link.h"
#include "plat/headless.h"
#include "plat/netclient.h"
#include "tests/support/forwarding_platform.h"
#include "world/scene/scene_chars.h"

namespace {

using Steady = std::chrono::steady_clock;

// The real clock and real sleeps; everything else from a headless platform.
class RealClock final : public plat::IClock {
 public:
  uint32_t ms() override {
    return static_cast<uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now() - start_).count() + 0x10000);
  }
  double seconds() override { return std::chrono::duration<double>(Steady::now() - start_).count(); }
  int64_t wallTime() override { return 0; }
  void sleepMs(uint32_t n) override { std::this_thread::sleep_for(std::chrono::milliseconds(n)); }

 private:
  Steady::time_point start_ = Steady::now();
};

class RealClockPlatform final : public veldra_test::ForwardingPlatform {
 public:
  using ForwardingPlatform::ForwardingPlatform;
  plat::IClock& clock() override { return clock_; }

 private:
  RealClock clock_;
};

// A link that is idle, or delivers one message on every poll.
class BenchLink final : public plat::INetClient {
 public:
  static bool stream;
  int connect(uint32_t, int32_t, int32_t, uint32_t, plat::NetReceiveFn cb, int32_t, int32_t) override {
    callback_ = cb;
    return 0;
  }
  int disconnect() override { return 0; }
  int send(uint32_t, int32_t, const void*, uint32_t) override { return 0; }
  plat::NetPoll poll(int32_t) override {
    if (!stream) return plat::NetPoll::Idle;
    const uint8_t payload[16] = {};
    if (callback_) callback_(0x7F000001, 0, payload, sizeof payload, nullptr);
    return plat::NetPoll::Delivered;
  }
  int buildLoginBlock(const char*, const char*, uint8_t*, uint32_t) override { return 0; }
  void release() override { delete this; }

 private:
  plat::NetReceiveFn callback_ = nullptr;
};
bool BenchLink::stream = false;

int ignore(uint32_t, int32_t, const uint8_t*, uint32_t, bool) { return 0; }

void setUp() {
  static bool done = false;
  if (done) return;
  done = true;
  const plat::HeadlessOptions o = bench_headless::options("frame");
  plat::install(std::make_unique<RealClockPlatform>(plat::makeHeadlessPlatform(o)));
  plat::get().modules().add({plat::kNetClientModule, [](const char*, int* rc) -> void* {
                               if (rc) *rc = 0;
                               return static_cast<plat::INetClient*>(new BenchLink);
                             }, {}});
  net_load_client();
  net_connect_world(0x0100007F, 4000, ignore);
  net_connect_chat(0x0100007F, 4001, 0x30004, ignore);
}

void run(benchmark::State& state, int in_scene, bool stream, const char* expected) {
  setUp();
  scene_in_scene = in_scene;
  BenchLink::stream = stream;
  frame_step();  // the pacing starts from this frame
  for (auto _ : state) frame_step();
  state.SetLabel(expected);
}

void BM_FrameOutsideScene(benchmark::State& s) { run(s, 0, false, "expected 31 to 33 ms"); }
void BM_FrameInSceneIdle(benchmark::State& s) { run(s, 1, false, "expected about 48 to 50 ms"); }
void BM_FrameInSceneStream(benchmark::State& s) { run(s, 1, true, "expected 31 to 33 ms"); }

}  // namespace

BENCHMARK(BM_FrameOutsideScene)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(60);
BENCHMARK(BM_FrameInSceneIdle)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(60);
BENCHMARK(BM_FrameInSceneStream)->UseRealTime()->Unit(benchmark::kMillisecond)->Iterations(60);
