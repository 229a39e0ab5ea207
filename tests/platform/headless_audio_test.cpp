// The headless audio device: fake time pulls the mixer, the output is recorded, and a period
// that wakes a refilling thread ends only after its refill. Also the events the threads use.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "plat/audio.h"
#include "plat/event.h"
#include "plat/headless.h"
#include "tests/support/headless_fixture.h"
#include "tests/support/temp_game_dir.h"

namespace {

plat::WaveFormat mono16() { return plat::pcmFormat(1, 22050, 16); }

void fillConstant(plat::ISoundBuffer& b, uint32_t offset, uint32_t bytes, int16_t value) {
  plat::LockRegion r;
  ASSERT_EQ(b.lock(offset, bytes, r, 0), plat::DS_OK);
  std::vector<int16_t> s(bytes / 2, value);
  std::memcpy(r.first, s.data(), r.firstBytes);
  if (r.second) std::memcpy(r.second, reinterpret_cast<uint8_t*>(s.data()) + r.firstBytes, r.secondBytes);
  ASSERT_EQ(b.unlock(r), plat::DS_OK);
}

class HeadlessAudio : public veldra_test::HeadlessTest {};

TEST_F(HeadlessAudio, FakeTimePullsTheMixerOnePeriodAtATime) {
  plat::HeadlessAudio* dev = hp().headlessAudio();
  ASSERT_NE(dev, nullptr);
  EXPECT_EQ(&plat::get().audio(), dev);
  std::unique_ptr<plat::ISoundBuffer> b;
  EXPECT_EQ(dev->createBuffer(mono16(), 100, 0, b), plat::DSERR_UNINITIALIZED);
  plat::WaveFormat bad;
  bad.bitsPerSample = 24;
  EXPECT_EQ(dev->open(bad), plat::DSERR_BADFORMAT);
  ASSERT_EQ(dev->open(plat::WaveFormat{}), plat::DS_OK);
  EXPECT_EQ(dev->open(plat::WaveFormat{}), plat::DS_OK);
  EXPECT_TRUE(dev->isOpen());

  ASSERT_EQ(dev->createBuffer(mono16(), 2000, plat::DSBCAPS_CTRLVOLUME, b), plat::DS_OK);
  fillConstant(*b, 0, 2000, 1234);
  ASSERT_EQ(b->play(true), plat::DS_OK);
  dev->startRecording();
  hp().fakeClock().advance(1000);
  EXPECT_EQ(dev->periods(), 100u);
  std::vector<int16_t> rec = dev->recording();
  ASSERT_EQ(rec.size(), 2u * 22050);
  for (int16_t s : rec) ASSERT_EQ(s, 1234);

  // A sleep moves time too; part of a period mixes nothing yet.
  plat::get().clock().sleepMs(5);
  EXPECT_EQ(dev->periods(), 100u);
  plat::get().clock().sleepMs(5);
  EXPECT_EQ(dev->periods(), 101u);
  dev->stopRecording();
  hp().fakeClock().advance(20);
  EXPECT_EQ(dev->recording().size(), 2u * (22050 + 220));

  // Closed, time mixes nothing.
  dev->close();
  hp().fakeClock().advance(100);
  EXPECT_EQ(dev->periods(), 103u);
}

class HeadlessWithoutAudio : public veldra_test::HeadlessTest {
  void configure(plat::HeadlessOptions& o) override { o.audioDevice = false; }
};

TEST_F(HeadlessWithoutAudio, OpenFailsAndNothingIsMade) {
  EXPECT_EQ(hp().headlessAudio(), nullptr);
  plat::IAudioDevice& dev = plat::get().audio();
  EXPECT_EQ(dev.open(plat::WaveFormat{}), plat::DSERR_NODRIVER);
  EXPECT_FALSE(dev.isOpen());
  std::unique_ptr<plat::ISoundBuffer> b;
  EXPECT_EQ(dev.createBuffer(mono16(), 100, 0, b), plat::DSERR_UNINITIALIZED);
  EXPECT_EQ(b, nullptr);
}

// Two halves refilled by a thread on the notifications, as a streaming voice is: half k of the
// output carries value 1000 (k + 1). The refill thread is slow on purpose; the recording must
// still hold every half in order with nothing stale.
TEST_F(HeadlessAudio, RefillsLandBeforeTheNextPeriod) {
  plat::HeadlessAudio* dev = hp().headlessAudio();
  ASSERT_EQ(dev->open(plat::WaveFormat{}), plat::DS_OK);
  constexpr uint32_t kHalfFrames = 2205;  // 0.1 s
  constexpr uint32_t kHalf = kHalfFrames * 2;
  std::unique_ptr<plat::ISoundBuffer> b;
  ASSERT_EQ(dev->createBuffer(mono16(), 2 * kHalf, plat::DSBCAPS_CTRLPOSITIONNOTIFY, b), plat::DS_OK);
  plat::Event first, second, quit;
  const plat::Notification notes[] = {{0, &first}, {kHalf, &second}};
  ASSERT_EQ(b->setNotifications(notes), plat::DS_OK);
  fillConstant(*b, 0, kHalf, 1000);

  std::atomic<int> next{2};
  std::thread refill([&] {
    plat::Event* events[] = {&first, &second, &quit};
    for (;;) {
      const int which = plat::waitAny(events);
      if (which == 2 || which < 0) return;
      std::this_thread::sleep_for(std::chrono::milliseconds(3));
      // Entering one half, the other one gets the next value.
      fillConstant(*b, which == 0 ? kHalf : 0, kHalf, static_cast<int16_t>(1000 * next.fetch_add(1)));
    }
  });
  dev->startRecording();
  ASSERT_EQ(b->play(true), plat::DS_OK);
  hp().fakeClock().advance(1000);
  quit.set();
  refill.join();

  const std::vector<int16_t> rec = dev->recording();
  ASSERT_EQ(rec.size(), 2u * 22050);
  for (uint32_t i = 0; i < 22050; ++i)
    ASSERT_EQ(rec[2 * i], 1000 * static_cast<int>(i / kHalfFrames + 1)) << "frame " << i;
}

// A notification nobody waits for holds no period once its buffer is gone.
TEST_F(HeadlessAudio, ASettingNobodyTakesIsWrittenOffWithItsBuffer) {
  plat::HeadlessAudio* dev = hp().headlessAudio();
  ASSERT_EQ(dev->open(plat::WaveFormat{}), plat::DS_OK);
  plat::Event unheard;
  std::unique_ptr<plat::ISoundBuffer> b;
  ASSERT_EQ(dev->createBuffer(mono16(), 2000, plat::DSBCAPS_CTRLPOSITIONNOTIFY, b), plat::DS_OK);
  const plat::Notification note{0, &unheard};
  ASSERT_EQ(b->setNotifications({&note, 1}), plat::DS_OK);
  ASSERT_EQ(b->play(true), plat::DS_OK);
  b.reset();
  const auto start = std::chrono::steady_clock::now();
  hp().fakeClock().advance(50);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
  EXPECT_EQ(dev->periods(), 5u);
  EXPECT_TRUE(unheard.isSet());  // still set for whoever comes
}

// A round that times out (a refill far too slow) writes off only its own settings: the buffer's
// notifications stay awaited, so a later one taken by a thread that was not yet waiting still
// holds the period until its refill has landed.
TEST_F(HeadlessAudio, AStalledRoundDoesNotStopLaterRoundsWaiting) {
  plat::HeadlessAudio* dev = hp().headlessAudio();
  ASSERT_EQ(dev->open(plat::WaveFormat{}), plat::DS_OK);
  constexpr uint32_t kBytes = 8820;  // 0.2 s
  std::unique_ptr<plat::ISoundBuffer> b;
  ASSERT_EQ(dev->createBuffer(mono16(), kBytes, plat::DSBCAPS_CTRLPOSITIONNOTIFY, b), plat::DS_OK);
  plat::Event start, quit;
  const plat::Notification note{0, &start};
  ASSERT_EQ(b->setNotifications({&note, 1}), plat::DS_OK);
  fillConstant(*b, 0, kBytes, 1000);
  ASSERT_EQ(b->play(true), plat::DS_OK);  // fires; nobody comes within the time-out
  hp().fakeClock().advance(10);
  ASSERT_EQ(dev->periods(), 1u);
  ASSERT_TRUE(start.wait(0));

  ASSERT_EQ(b->stop(), plat::DS_OK);
  ASSERT_EQ(b->setCurrentPosition(0), plat::DS_OK);
  ASSERT_EQ(b->play(true), plat::DS_OK);  // fires before the thread below waits
  std::thread refill([&] {
    plat::Event* events[] = {&start, &quit};
    if (plat::waitAny(events) != 0) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    fillConstant(*b, 0, kBytes, 2000);
    plat::waitAny(std::span<plat::Event* const>(&events[1], 1));
  });
  dev->startRecording();
  hp().fakeClock().advance(10);
  quit.set();
  refill.join();
  const std::vector<int16_t> rec = dev->recording();
  ASSERT_FALSE(rec.empty());
  EXPECT_EQ(rec[0], 2000) << "the period did not wait for the refill";
}

// With a dump folder (VELDRA_TEST_DUMP in a run), what the device played is left there.
TEST(HeadlessAudioDump, RunLeavesSoundMix) {
  veldra_test::TempGameDir dir;
  plat::HeadlessOptions o;
  o.gameDir = dir.path();
  o.dumpDir = dir.path();
  o.watchdog = false;
  plat::HeadlessPlatform& hp = plat::installHeadless(o);
  ASSERT_EQ(hp.headlessAudio()->open(plat::WaveFormat{}), plat::DS_OK);
  std::unique_ptr<plat::ISoundBuffer> b;
  ASSERT_EQ(hp.headlessAudio()->createBuffer(mono16(), 2000, 0, b), plat::DS_OK);
  fillConstant(*b, 0, 2000, -77);
  ASSERT_EQ(b->play(true), plat::DS_OK);
  hp.fakeClock().advance(100);
  plat::installHeadless();  // the run ends
  const std::string wav = dir.read("sound_mix.wav");
  ASSERT_EQ(wav.size(), 44u + 2205 * 4);
  EXPECT_EQ(wav.substr(0, 4), "RIFF");
  EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
  EXPECT_EQ(static_cast<uint8_t>(wav[44]), 0xB3);  // -77, little-endian
  EXPECT_EQ(static_cast<uint8_t>(wav[45]), 0xFF);
}

TEST(AudioEvent, AutoResetAndWaitAny) {
  plat::Event a, b(true);
  EXPECT_TRUE(b.isSet());
  EXPECT_TRUE(b.wait(0));
  EXPECT_FALSE(b.isSet());  // taken
  EXPECT_FALSE(b.wait(5));

  a.set();
  b.set();
  plat::Event* both[] = {&b, &a};
  EXPECT_EQ(plat::waitAny(both, 0), 0);  // the lowest index first
  EXPECT_EQ(plat::waitAny(both, 0), 1);
  EXPECT_EQ(plat::waitAny(both, 5), -1);
  plat::Event* withNull[] = {&a, nullptr};
  EXPECT_EQ(plat::waitAny(withNull, 0), -1);
  EXPECT_EQ(plat::waitAny({}, 0), -1);

  // One set wakes one wait from another thread.
  std::atomic<int> woken{0};
  std::thread t([&] {
    if (a.wait()) woken.fetch_add(1);
  });
  a.set();
  t.join();
  EXPECT_EQ(woken.load(), 1);
  EXPECT_FALSE(a.isSet());
}

}  // namespace
