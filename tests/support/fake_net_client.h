// A scripted stand-in for "client_net.dll": records connects, sends and disconnects; tests queue
// inbound messages and poll outcomes.
#pragma once
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

#include "plat/netclient.h"

namespace veldra_test {

struct FakeMessage {
  uint32_t id = 0;
  int32_t arg = 0;
  std::vector<uint8_t> payload;
};

class FakeNetClient final : public plat::INetClient {
 public:
  // What the client did.
  int connects = 0;
  uint32_t host = 0;
  int32_t port = 0;
  uint32_t version = 0;
  plat::NetReceiveFn callback = nullptr;
  std::vector<FakeMessage> sends;
  int disconnects = 0;
  int polls = 0;
  int logins = 0;
  bool connected = false;
  bool released = false;

  // What it answers.
  int connectResult = 0;
  std::deque<int> connectResults;      // the next connects' results, before connectResult
  std::vector<uint32_t> hosts;         // every connect's host, in order
  int sendResult = 0;
  int loginResult = 0;
  std::deque<plat::NetPoll> outcomes;  // the next polls' results, before anything else
  std::deque<FakeMessage> inbound;     // delivered at the next poll (Delivered)
  bool lost = false;                   // every poll Lost until disconnect
  plat::NetLossInfo loss;              // what lossInfo() says

  int connect(uint32_t host, int32_t port, int32_t reserved, uint32_t version, plat::NetReceiveFn callback,
              int32_t reserved2, int32_t reserved3) override;
  int disconnect() override;
  int send(uint32_t id, int32_t arg, const void* payload, uint32_t len) override;
  plat::NetPoll poll(int32_t reserved) override;
  int buildLoginBlock(const char* account, const char* password, uint8_t* out, uint32_t outLen) override;
  void release() override { released = true; }
  plat::NetLossInfo lossInfo() const override { return loss; }
};

// Registers the fake as "client_net.dll" in the installed platform's module registry. Objects
// live until the next install() or clear(), also after release().
class FakeNetModule {
 public:
  static void install();
  static void clear();
  static std::vector<std::unique_ptr<FakeNetClient>>& made();
  static FakeNetClient* world() { return made().size() > 0 ? made()[0].get() : nullptr; }
  static FakeNetClient* chat() { return made().size() > 1 ? made()[1].get() : nullptr; }
  // Factory calls from this index on (0-based) return null; -1 never.
  static void failFactoryFrom(int call);
};

}  // namespace veldra_test
