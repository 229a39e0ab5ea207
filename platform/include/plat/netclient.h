// "INetClient_003": one link to a world or chat server, given by the factory of the built-in
// module "client_net.dll" (one new object per factory call). Main thread only.
#pragma once
#include <cstdint>

namespace plat {

inline constexpr const char* kNetClientModule = "client_net.dll";
inline constexpr const char* kNetClientInterface = "INetClient_003";

// Called from inside poll() once per received frame. The payload is valid only during the call;
// ctx is always null and the result is ignored.
using NetReceiveFn = int (*)(uint32_t id, int32_t arg, const uint8_t* payload, uint32_t len, void* ctx);

// Poll results; Idle and Delivered keep the values the client's link layer tests for.
enum class NetPoll : int { Lost = -1, Idle = 1, Delivered = 2 };

inline constexpr uint32_t kNetSendQueueMax = 4u << 20;  // queued output, bytes
inline constexpr int kNetMaxFramesPerPoll = 256;

// Why a link was lost, as the link saw it where the loss was found. A peer that closes with part
// of a frame unread has cut it short; anything that is not a frame (random bytes, text) shows up
// as a length field over the cap.
enum class NetLossReason : uint8_t { None, PeerClosed, CutShort, TooLong, ReadError, WriteError, SendQueueFull };

struct NetLossInfo {
  NetLossReason reason = NetLossReason::None;
  uint64_t receivedBytes = 0;    // since connect
  uint32_t frames = 0;           // whole frames received since connect
  uint32_t pendingBytes = 0;     // received but never delivered (a partial or refused frame)
  bool lengthKnown = false;      // the pending bytes hold a whole length field
  uint32_t declaredLength = 0;   // that length field
  uint32_t maxPayload = 0;       // the cap it is held against
  int osError = 0;               // the system's error number (ReadError, WriteError)
  uint8_t headLength = 0;        // how many of the pending bytes follow
  uint8_t head[12] = {};         // the first pending bytes, to tell garbage from a frame
};

class INetClient {
 public:
  // host: the IPv4 address as its network-order 32-bit value (never swapped); port: low 16 bits.
  // Blocks for at most the connect timeout, then sends the hello {0, version}. 0 or -1 (also
  // when already connected).
  virtual int connect(uint32_t host, int32_t port, int32_t reserved, uint32_t version, NetReceiveFn callback,
                      int32_t reserved2, int32_t reserved3) = 0;
  // Closes the link and drops queued output and unread input. Safe inside a receive callback.
  virtual int disconnect() = 0;
  // Queues one frame and writes what the socket takes. -1 when unconnected, above the payload
  // cap, lost, or when the queue would overflow (the link then counts as lost).
  virtual int send(uint32_t id, int32_t arg, const void* payload, uint32_t len) = 0;
  // Reads without blocking, delivers up to 256 complete frames, flushes output. Lost repeats
  // until disconnect or connect; a poll from inside this link's own callback is Idle.
  virtual NetPoll poll(int32_t reserved) = 0;
  // 0, or -1 when outLen is not 64.
  virtual int buildLoginBlock(const char* account, const char* password, uint8_t* out, uint32_t outLen) = 0;
  // Frees the object (disconnecting first).
  virtual void release() = 0;
  // Why poll() reports Lost, fixed when it first does; reason None while it does not. A link
  // that cannot tell says None.
  virtual NetLossInfo lossInfo() const { return {}; }

 protected:
  ~INetClient() = default;
};

}  // namespace plat
