// A decode front end for the MP3 stream back end: a sine of chosen length and format behind
// the four decoder operations, counting what the back end asked. Installed while it lives; its
// end resets the back end, so that no chain of it outlives it.
#pragma once
#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "audio/wav.h"

namespace veldra_test {

class FakePcmChain {
 public:
  struct Options {
    uint32_t bytes = 176400;  // the tune's length
    uint16_t channels = 2;
    uint32_t rate = 44100;
    uint16_t bits = 16;
    uint32_t hz = 441;
  };
  explicit FakePcmChain(const Options& options);
  ~FakePcmChain();
  FakePcmChain(const FakePcmChain&) = delete;
  FakePcmChain& operator=(const FakePcmChain&) = delete;

  // The tune's bytes (never a run of zero samples longer than one).
  const std::vector<uint8_t>& tune() const { return tune_; }
  const WAV_FORMAT& format() const { return format_; }

  std::atomic<int> opens{0}, closes{0}, reads{0};
  std::atomic<int> failOpens{0};   // the next n opens fail
  std::atomic<bool> openFails{false};  // every open fails
  std::atomic<int> live{0};        // chains open now
  std::vector<std::string> names() const;

  // The operations (public for the installer).
  struct Chain;
  Chain* open(const char* name);
  int32_t read(Chain* c, uint8_t* buffer, uint32_t length);
  void close(Chain* c);

 private:
  std::vector<uint8_t> tune_;
  WAV_FORMAT format_{};
  mutable std::mutex mutex_;
  std::vector<std::string> names_;
};

}  // namespace veldra_test
