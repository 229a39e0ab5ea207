// Frames kept in memory, hashed on demand, dumped as PPM when a test fails.
#include "headless/memory_display.h"

#include <algorithm>
#include <cstdio>
#include <memory>

#include "common/pixel_family.h"

namespace plat::headless_impl {

uint64_t fnv1a64(const uint16_t* px, size_t count) {
  uint64_t h = 0xcbf29ce484222325ull;
  for (size_t i = 0; i < count; ++i) {
    h = (h ^ (px[i] & 0xFFu)) * 0x100000001b3ull;
    h = (h ^ (px[i] >> 8)) * 0x100000001b3ull;
  }
  return h;
}

MemoryDisplayImpl::MemoryDisplayImpl(std::function<bool(WindowId)> isMinimised)
    : isMinimised_(std::move(isMinimised)),
      frame_(static_cast<size_t>(kWidth) * kHeight, 0),
      masks_(masksOf(PixelFamily::Rgb565)) {}

uint64_t MemoryDisplayImpl::lastHash() const {
  if (!hashValid_) {
    hash_ = fnv1a64(frame_.data(), frame_.size());
    hashValid_ = true;
  }
  return hash_;
}

bool MemoryDisplayImpl::open(WindowId w, bool fullscreen, PixelFamily family) {
  window_ = w;
  family_ = family;
  masks_ = masksOf(family);
  fullscreen_ = fullscreen;
  open_ = true;
  return true;
}

bool MemoryDisplayImpl::present(const uint16_t* px, int pitchBytes, int firstRow, int rows) {
  if (!open_ || firstRow < 0 || rows < 0 || firstRow > kHeight || rows > kHeight - firstRow) return false;
  if (rows > 0 && (!px || pitchBytes < kWidth * 2 || pitchBytes % 2 != 0)) return false;
  if (isMinimised_ && isMinimised_(window_)) return true;  // nothing is drawn while minimised
  const size_t stride = static_cast<size_t>(pitchBytes) / 2;
  for (int r = firstRow; r < firstRow + rows; ++r) {
    const uint16_t* src = px + stride * static_cast<size_t>(r);
    std::copy(src, src + kWidth, frame_.begin() + static_cast<ptrdiff_t>(r) * kWidth);
  }
  hashValid_ = false;
  ++presents_;
  if (onPresent_) onPresent_();
  return true;
}

bool MemoryDisplayImpl::setFullscreen(bool on) {
  fullscreen_ = on;
  return true;
}

void MemoryDisplayImpl::close() {
  open_ = false;
  fullscreen_ = false;
  window_ = kNoWindow;
}

bool MemoryDisplayImpl::dumpPpm(const std::string& hostPath) const {
  std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(hostPath.c_str(), "wb"), std::fclose);
  if (!f) return false;
  std::fprintf(f.get(), "P6\n%d %d\n255\n", kWidth, kHeight);
  std::vector<uint8_t> row(static_cast<size_t>(kWidth) * 3);
  for (int y = 0; y < kHeight; ++y) {
    for (int x = 0; x < kWidth; ++x) {
      uint16_t p = frame_[static_cast<size_t>(y) * kWidth + x];
      row[x * 3 + 0] = common::channel8(p, masks_.red);
      row[x * 3 + 1] = common::channel8(p, masks_.green);
      row[x * 3 + 2] = common::channel8(p, masks_.blue);
    }
    if (std::fwrite(row.data(), 1, row.size(), f.get()) != row.size()) return false;
  }
  return true;
}

}  // namespace plat::headless_impl
