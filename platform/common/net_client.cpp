// The built-in "client_net.dll": framed TCP links for the world and chat servers.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "common/common.h"
#include "plat/netclient.h"
#include "plat/netframe.h"
#include "plat/sockets.h"

namespace plat::common {

namespace {

constexpr size_t kReadChunk = 64 * 1024;

class NetClient final : public INetClient {
 public:
  int connect(uint32_t host, int32_t port, int32_t /*reserved*/, uint32_t version, NetReceiveFn callback,
              int32_t /*reserved2*/, int32_t /*reserved3*/) override {
    if (sock_.valid()) return -1;
    const Environment& env = environment();
    net::Socket s = net::connect(host, static_cast<uint16_t>(port & 0xFFFF), env.netConnectTimeoutMs);
    if (!s.valid()) return -1;
    dropInput();
    clearOutput();
    clearLoss();
    ++generation_;
    decoder_.setMaxPayload(env.netMaxPayload);
    sock_ = std::move(s);
    callback_ = callback;
    netframe::append(out_, netframe::kHelloId, static_cast<int32_t>(version), nullptr, 0);
    flush();
    return 0;
  }

  int disconnect() override {
    sock_.close();
    clearOutput();
    dropInput();
    clearLoss();
    ++generation_;
    return 0;
  }

  int send(uint32_t id, int32_t arg, const void* payload, uint32_t len) override {
    if (!sock_.valid() || lost_) return -1;
    if (len > decoder_.maxPayload() || (len > 0 && !payload)) return -1;
    if (out_.size() - outRead_ + netframe::kHeaderSize + len > kNetSendQueueMax) {
      lose(NetLossReason::SendQueueFull);  // the peer stopped reading: nothing sensible can follow
      return -1;
    }
    if (outRead_ > 0 && outRead_ >= out_.size() / 2) {
      out_.erase(out_.begin(), out_.begin() + static_cast<std::ptrdiff_t>(outRead_));
      outRead_ = 0;
    }
    netframe::append(out_, id, arg, payload, len);
    flush();
    return lost_ ? -1 : 0;
  }

  NetPoll poll(int32_t /*reserved*/) override {
    if (!sock_.valid() || inPoll_) return NetPoll::Idle;
    if (lost_ && !decoder_.hasFrame()) return reportLost();
    // Restores the guard and frees retired buffers whatever a callback throws.
    struct Scope {
      NetClient& c;
      explicit Scope(NetClient& client) : c(client) { c.inPoll_ = true; }
      ~Scope() {
        c.inPoll_ = false;
        c.retired_.clear();
      }
    } scope(*this);

    if (!lost_) readAvailable();
    const uint64_t generation = generation_;
    int delivered = 0;
    netframe::Frame f;
    while (delivered < kNetMaxFramesPerPoll) {
      netframe::Decoder::Result r = decoder_.next(f);
      if (r == netframe::Decoder::Result::NeedMore) break;
      if (r == netframe::Decoder::Result::TooLong) {
        lose(NetLossReason::TooLong);
        break;
      }
      ++frames_;
      if (f.id == netframe::kHelloId) continue;  // reserved for the client's hello
      ++delivered;
      if (callback_) callback_(f.id, f.arg, f.payload, f.length, nullptr);
      if (generation_ != generation) return NetPoll::Delivered;  // the callback closed or reopened us
    }
    if (!lost_) flush();
    if (lost_ && !decoder_.hasFrame()) return reportLost();
    return delivered > 0 ? NetPoll::Delivered : NetPoll::Idle;
  }

  int buildLoginBlock(const char* account, const char* password, uint8_t* out, uint32_t outLen) override {
    if (!out || outLen != netframe::kLoginBlockSize) return -1;
    netframe::loginBlock(account, password, out);
    return 0;
  }

  void release() override { delete this; }

  NetLossInfo lossInfo() const override { return loss_; }

 private:
  // Unread input goes; a payload a callback is looking at stays alive until its poll returns.
  void dropInput() {
    if (inPoll_)
      retired_.push_back(decoder_.takeBuffer());
    else
      decoder_.reset();
  }

  void clearOutput() {
    out_.clear();
    outRead_ = 0;
  }

  void clearLoss() {
    lost_ = false;
    cause_ = NetLossReason::None;
    osError_ = 0;
    loss_ = {};
    receivedBytes_ = 0;
    frames_ = 0;
  }

  // The first cause found is the one reported.
  void lose(NetLossReason why, int osError = 0) {
    if (!lost_) {
      cause_ = why;
      osError_ = osError;
    }
    lost_ = true;
  }

  // Fixes the loss report once every whole frame before it has been delivered: what is left in
  // the decoder then is the frame that could not be completed or was refused.
  NetPoll reportLost() {
    if (loss_.reason != NetLossReason::None) return NetPoll::Lost;
    const std::span<const uint8_t> left = decoder_.pending();
    NetLossInfo& l = loss_;
    // A refused length came before whatever ended the reading (a close read in the same call).
    if (decoder_.failed())
      l.reason = NetLossReason::TooLong;
    else if (cause_ == NetLossReason::PeerClosed && !left.empty())
      l.reason = NetLossReason::CutShort;
    else
      l.reason = cause_;
    l.receivedBytes = receivedBytes_;
    l.frames = frames_;
    l.pendingBytes = static_cast<uint32_t>(left.size());
    l.maxPayload = decoder_.maxPayload();
    l.osError = osError_;
    if (left.size() >= 4) {
      l.lengthKnown = true;
      l.declaredLength = ByteReader(left.data(), 4).u32("length");
    }
    l.headLength = static_cast<uint8_t>(std::min(left.size(), sizeof l.head));
    std::copy_n(left.begin(), l.headLength, l.head);
    return NetPoll::Lost;
  }

  void readAvailable() {
    // Bounded: a peer that floods waits in its own send buffer, not in our memory.
    const size_t limit = std::max<size_t>(decoder_.maxPayload() + netframe::kHeaderSize, 256 * 1024);
    while (decoder_.buffered() < limit) {
      std::span<uint8_t> room = decoder_.space(kReadChunk);
      size_t got = 0;
      net::Io r = net::recv(sock_, room.data(), room.size(), got);
      if (r == net::Io::Ok) {
        decoder_.commit(got);
        receivedBytes_ += got;
        if (got < room.size()) break;  // drained
        continue;
      }
      if (r == net::Io::Closed) lose(NetLossReason::PeerClosed);
      else if (r == net::Io::Error) lose(NetLossReason::ReadError, errno);
      break;
    }
  }

  void flush() {
    while (outRead_ < out_.size()) {
      size_t done = 0;
      net::Io r = net::send(sock_, out_.data() + outRead_, out_.size() - outRead_, done);
      if (r == net::Io::Ok) {
        outRead_ += done;
        continue;
      }
      if (r == net::Io::Closed) lose(NetLossReason::PeerClosed);
      else if (r == net::Io::Error) lose(NetLossReason::WriteError, errno);
      break;
    }
    if (outRead_ == out_.size()) clearOutput();
  }

  net::Socket sock_;
  NetReceiveFn callback_ = nullptr;
  netframe::Decoder decoder_;
  std::vector<std::vector<uint8_t>> retired_;
  std::vector<uint8_t> out_;
  size_t outRead_ = 0;
  uint64_t generation_ = 0;
  bool lost_ = false;
  NetLossReason cause_ = NetLossReason::None;
  int osError_ = 0;
  NetLossInfo loss_;  // fixed by reportLost()
  uint64_t receivedBytes_ = 0;
  uint32_t frames_ = 0;
  bool inPoll_ = false;
};

void* netClientFactory(const char* name, int* rc) {
  if (name && std::strcmp(name, kNetClientInterface) == 0) {
    if (rc) *rc = 0;
    INetClient* link = new NetClient;
    return link;
  }
  if (rc) *rc = 1;
  return nullptr;
}

}  // namespace

void registerNetClientModule(IModuleRegistry& reg) { reg.add({kNetClientModule, netClientFactory, {}}); }

}  // namespace plat::common
