// Link framing: encoder and incremental decoder.
#include "plat/netframe.h"

#include <algorithm>
#include <cstring>

namespace plat::netframe {

std::array<uint8_t, kHeaderSize> header(uint32_t length, uint32_t id, int32_t arg) {
  ByteWriter w;
  w.u32(length);
  w.u32(id);
  w.i32(arg);
  std::array<uint8_t, kHeaderSize> h{};
  std::memcpy(h.data(), w.data().data(), kHeaderSize);
  return h;
}

void append(std::vector<uint8_t>& out, uint32_t id, int32_t arg, const void* payload, uint32_t length) {
  auto h = header(length, id, arg);
  out.insert(out.end(), h.begin(), h.end());
  if (length > 0) {
    const auto* p = static_cast<const uint8_t*>(payload);
    out.insert(out.end(), p, p + length);
  }
}

std::span<uint8_t> Decoder::space(size_t want) {
  if (buf_.size() - wr_ < want) {
    // Move the partial frame to the front only when the tail is full: once per buffer's worth.
    if (rd_ > 0) {
      std::memmove(buf_.data(), buf_.data() + rd_, wr_ - rd_);
      wr_ -= rd_;
      rd_ = 0;
    }
    if (buf_.size() - wr_ < want) buf_.resize(std::max(wr_ + want, buf_.size() + buf_.size() / 2));
  }
  return {buf_.data() + wr_, buf_.size() - wr_};
}

void Decoder::commit(size_t n) { wr_ = std::min(wr_ + n, buf_.size()); }

void Decoder::feed(const void* data, size_t n) {
  if (n == 0) return;
  std::span<uint8_t> s = space(n);
  std::memcpy(s.data(), data, n);
  commit(n);
}

Decoder::Result Decoder::next(Frame& out) {
  if (failed_) return Result::TooLong;
  if (wr_ - rd_ < kHeaderSize) return Result::NeedMore;
  ByteReader r(buf_.data() + rd_, kHeaderSize);
  const uint32_t length = r.u32("length");
  const uint32_t id = r.u32("id");
  const int32_t arg = r.i32("argument");
  if (length > max_) {
    failed_ = true;
    return Result::TooLong;
  }
  if (wr_ - rd_ - kHeaderSize < length) return Result::NeedMore;
  out.id = id;
  out.arg = arg;
  out.length = length;
  out.payload = buf_.data() + rd_ + kHeaderSize;
  rd_ += kHeaderSize + length;
  if (rd_ == wr_) rd_ = wr_ = 0;  // the memory stays as it is, so the payload is still good
  return Result::Frame;
}

bool Decoder::hasFrame() const {
  if (failed_ || wr_ - rd_ < kHeaderSize) return false;
  ByteReader r(buf_.data() + rd_, 4);
  const uint32_t length = r.u32("length");
  return length <= max_ && wr_ - rd_ - kHeaderSize >= length;
}

void Decoder::reset() {
  rd_ = wr_ = 0;
  failed_ = false;
}

std::vector<uint8_t> Decoder::takeBuffer() {
  std::vector<uint8_t> b = std::move(buf_);
  buf_ = {};
  reset();
  return b;
}

void loginBlock(const char* account, const char* password, uint8_t* out) {
  std::memset(out, 0, kLoginBlockSize);
  auto put = [&](const char* text, size_t at) {
    if (!text) return;
    size_t n = 0;
    while (n < kLoginFieldMax && text[n] != '\0') ++n;
    std::memcpy(out + at, text, n);
  };
  put(account, 0);
  put(password, 32);
}

}  // namespace plat::netframe
