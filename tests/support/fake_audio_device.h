// An audio device whose buffers record every call as a line ("setVolume -3000", "play 1"), for
// tests of the order and values the sound code passes. Nothing is mixed. Install it with
// FakeAudioPlatform (HeadlessTest::wrap).
#pragma once
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "plat/audio.h"
#include "tests/support/forwarding_platform.h"

namespace veldra_test {

// Thread-safe: a stream thread writes into it too.
struct FakeAudioLog {
  void add(const std::string& line);
  std::vector<std::string> lines() const;  // "<buffer number> <call> [<value>...]"
  void clear();
  int buffersMade = 0;
  int buffersLive = 0;
  std::vector<class FakeSoundBuffer*> live;  // in creation order

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
};

class FakeSoundBuffer final : public plat::ISoundBuffer {
 public:
  FakeSoundBuffer(FakeAudioLog& log, int number, const plat::WaveFormat& f, uint32_t bytes, uint32_t caps);
  ~FakeSoundBuffer() override;

  int32_t lock(uint32_t offset, uint32_t bytes, plat::LockRegion& out, uint32_t flags) override;
  int32_t unlock(const plat::LockRegion& region) override;
  int32_t play(bool loop) override;
  int32_t stop() override;
  int32_t getCurrentPosition(uint32_t* play, uint32_t* write) override;
  int32_t setCurrentPosition(uint32_t offset) override;
  uint32_t status() override;
  int32_t setVolume(int32_t mB) override;
  int32_t setPan(int32_t pan) override;
  int32_t getVolume(int32_t* mB) override;
  int32_t getPan(int32_t* pan) override;
  int32_t setNotifications(std::span<const plat::Notification> list) override;
  int32_t restore() override;
  plat::WaveFormat format() const override { return format_; }
  uint32_t bytes() const override { return static_cast<uint32_t>(data_.size()); }
  uint32_t caps() const override { return caps_; }
  void injectFaults(const plat::BufferFaults& faults) override;

  std::vector<uint8_t> data() const;
  std::vector<plat::Notification> notifications() const;
  int restoreCalls = 0;

 private:
  void note(const std::string& what);
  FakeAudioLog& log_;
  int number_;
  plat::WaveFormat format_;
  uint32_t caps_;
  mutable std::mutex mutex_;
  std::vector<uint8_t> data_, staging_;
  std::vector<plat::Notification> notifications_;
  bool playing_ = false, looping_ = false, lost_ = false;
  int32_t failRestores_ = 0, failLocks_ = 0, lockError_ = 0, volume_ = 0, pan_ = 0;
  uint32_t lockOffset_ = 0;
};

class FakeAudioDevice final : public plat::IAudioDevice {
 public:
  int32_t open(const plat::WaveFormat& primary) override;
  bool isOpen() const override { return open_; }
  void close() override { open_ = false; }
  int32_t createBuffer(const plat::WaveFormat& format, uint32_t bytes, uint32_t caps,
                       std::unique_ptr<plat::ISoundBuffer>& out) override;
  void loseAllBuffers() override;

  FakeAudioLog log;
  int32_t openResult = plat::DS_OK;
  plat::WaveFormat primary{};
  struct Made {
    plat::WaveFormat format;
    uint32_t bytes, caps;
  };
  std::vector<Made> made;

 private:
  bool open_ = false;
};

// The headless platform with the fake device in place of its own.
class FakeAudioPlatform : public ForwardingPlatform {
 public:
  FakeAudioPlatform(std::unique_ptr<plat::HeadlessPlatform> inner, FakeAudioDevice& device)
      : ForwardingPlatform(std::move(inner)), device_(device) {}
  plat::IAudioDevice& audio() override { return device_; }

 private:
  FakeAudioDevice& device_;
};

}  // namespace veldra_test
