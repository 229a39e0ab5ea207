// The link framing, shared by the network client module and the test server:
//   u32 payload length L (0..cap), u32 message id, i32 argument, then L payload bytes,
// all little-endian. Id 0 is the hello a client sends right after connecting (argument = its
// version value); servers never send it.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "plat/bytes.h"

namespace plat::netframe {

constexpr size_t kHeaderSize = 12;
constexpr uint32_t kHelloId = 0;
constexpr uint32_t kDefaultMaxPayload = 1u << 20;

inline constexpr FieldSpec kHeaderFields[] = {{"length", 0, 4}, {"id", 4, 4}, {"argument", 8, 4}};
static_assert(checkLayout(kHeaderFields, kHeaderSize));

std::array<uint8_t, kHeaderSize> header(uint32_t length, uint32_t id, int32_t arg);
// Appends header and payload to out.
void append(std::vector<uint8_t>& out, uint32_t id, int32_t arg, const void* payload, uint32_t length);

struct Frame {
  uint32_t id = 0;
  int32_t arg = 0;
  const uint8_t* payload = nullptr;  // points into the decoder's buffer
  uint32_t length = 0;
};

// Incremental decoder: bytes go in as they arrive (split anywhere), whole frames come out in
// order. A length above the cap is refused before anything is allocated for it; the decoder
// then stays failed until reset.
class Decoder {
 public:
  enum class Result { Frame, NeedMore, TooLong };

  explicit Decoder(uint32_t maxPayload = kDefaultMaxPayload) : max_(maxPayload) {}

  // Room for at least `want` bytes after the buffered input; commit() what was written there.
  std::span<uint8_t> space(size_t want);
  void commit(size_t n);
  void feed(const void* data, size_t n);

  // The next complete frame. Its payload stays valid until the next space(), feed(), reset()
  // or takeBuffer(), whatever frames are taken meanwhile.
  Result next(Frame& out);
  bool hasFrame() const;  // a complete frame is waiting (false once failed)
  bool failed() const { return failed_; }
  size_t buffered() const { return wr_ - rd_; }
  // The buffered bytes not yet taken as frames (valid until the next space(), feed() or reset()).
  std::span<const uint8_t> pending() const { return {buf_.data() + rd_, wr_ - rd_}; }
  size_t capacity() const { return buf_.size(); }
  uint32_t maxPayload() const { return max_; }
  void setMaxPayload(uint32_t maxPayload) { max_ = maxPayload; }

  void reset();
  // Gives the buffer away (so that a payload in use can outlive a reset) and starts empty.
  std::vector<uint8_t> takeBuffer();

 private:
  std::vector<uint8_t> buf_;
  size_t rd_ = 0, wr_ = 0;
  uint32_t max_;
  bool failed_ = false;
};

// Bytes of the 64-byte login block: the account at 0 and the password at 32, each cut to 31
// bytes and NUL-padded.
constexpr size_t kLoginBlockSize = 64;
constexpr size_t kLoginFieldMax = 31;
void loginBlock(const char* account, const char* password, uint8_t* out);

}  // namespace plat::netframe
