// The headless display: keeps the last frame in memory; its hash is taken when asked.
#pragma once
#include <functional>

#include "plat/headless.h"

namespace plat::headless_impl {

class MemoryDisplayImpl final : public MemoryDisplay {
 public:
  static constexpr int kWidth = 800, kHeight = 600;

  // isMinimised answers for the window the display is open on.
  explicit MemoryDisplayImpl(std::function<bool(WindowId)> isMinimised);

  bool open(WindowId w, bool fullscreen, PixelFamily family) override;
  PixelMasks masks() const override { return masks_; }
  PixelFamily family() const override { return family_; }
  bool present(const uint16_t* px, int pitchBytes, int firstRow, int rows) override;
  bool setFullscreen(bool on) override;
  bool isOpen() const override { return open_; }
  void close() override;

  const std::vector<uint16_t>& lastFrame() const override { return frame_; }
  // Hashed when asked, so that presenting stays a plain copy.
  uint64_t lastHash() const override;
  uint64_t presentCount() const override { return presents_; }
  bool fullscreen() const override { return fullscreen_; }
  void setMasks(PixelMasks m) override { masks_ = m; }
  bool dumpPpm(const std::string& hostPath) const override;

  WindowId window() const { return window_; }
  // Called after each present that drew.
  void onPresent(std::function<void()> f) { onPresent_ = std::move(f); }

 private:
  std::function<bool(WindowId)> isMinimised_;
  std::vector<uint16_t> frame_;
  PixelMasks masks_;
  PixelFamily family_ = PixelFamily::Rgb565;
  WindowId window_ = kNoWindow;
  bool open_ = false;
  bool fullscreen_ = false;
  mutable uint64_t hash_ = 0;
  mutable bool hashValid_ = false;
  uint64_t presents_ = 0;
  std::function<void()> onPresent_;
};

// FNV-1a 64 over the pixels' bytes, low byte first.
uint64_t fnv1a64(const uint16_t* px, size_t count);

}  // namespace plat::headless_impl
