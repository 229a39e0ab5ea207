#include "tests/support/fake_net_client.h"

#include <cstring>

#include "plat/netframe.h"
#include "plat/platform.h"

namespace veldra_test {

namespace {
std::vector<std::unique_ptr<FakeNetClient>> g_made;
int g_calls = 0;
int g_failFrom = -1;

void* fakeFactory(const char* name, int* rc) {
  const int call = g_calls++;
  if (!name || std::strcmp(name, plat::kNetClientInterface) != 0 || (g_failFrom >= 0 && call >= g_failFrom)) {
    if (rc) *rc = 1;
    return nullptr;
  }
  if (rc) *rc = 0;
  g_made.push_back(std::make_unique<FakeNetClient>());
  plat::INetClient* link = g_made.back().get();
  return link;
}
}  // namespace

int FakeNetClient::connect(uint32_t h, int32_t p, int32_t, uint32_t v, plat::NetReceiveFn cb, int32_t, int32_t) {
  ++connects;
  host = h;
  port = p;
  version = v;
  callback = cb;
  hosts.push_back(h);
  int result = connectResult;
  if (!connectResults.empty()) {
    result = connectResults.front();
    connectResults.pop_front();
  }
  if (result != 0) return result;
  connected = true;
  return 0;
}

int FakeNetClient::disconnect() {
  ++disconnects;
  connected = false;
  lost = false;
  inbound.clear();
  return 0;
}

int FakeNetClient::send(uint32_t id, int32_t arg, const void* payload, uint32_t len) {
  const auto* p = static_cast<const uint8_t*>(payload);
  sends.push_back({id, arg, p ? std::vector<uint8_t>(p, p + len) : std::vector<uint8_t>()});
  return sendResult;
}

plat::NetPoll FakeNetClient::poll(int32_t) {
  ++polls;
  auto deliverAll = [&] {
    while (!inbound.empty()) {
      FakeMessage m = std::move(inbound.front());
      inbound.pop_front();
      if (callback) callback(m.id, m.arg, m.payload.data(), static_cast<uint32_t>(m.payload.size()), nullptr);
    }
  };
  if (!outcomes.empty()) {
    plat::NetPoll r = outcomes.front();
    outcomes.pop_front();
    if (r == plat::NetPoll::Delivered) deliverAll();
    return r;
  }
  if (lost) return plat::NetPoll::Lost;
  if (inbound.empty()) return plat::NetPoll::Idle;
  deliverAll();
  return plat::NetPoll::Delivered;
}

int FakeNetClient::buildLoginBlock(const char* account, const char* password, uint8_t* out, uint32_t outLen) {
  ++logins;
  if (loginResult != 0) return loginResult;
  if (!out || outLen != plat::netframe::kLoginBlockSize) return -1;
  plat::netframe::loginBlock(account, password, out);
  return 0;
}

void FakeNetModule::install() {
  clear();
  plat::get().modules().add({plat::kNetClientModule, fakeFactory, {}});
}

void FakeNetModule::clear() {
  g_made.clear();
  g_calls = 0;
  g_failFrom = -1;
}

std::vector<std::unique_ptr<FakeNetClient>>& FakeNetModule::made() { return g_made; }

void FakeNetModule::failFactoryFrom(int call) { g_failFrom = call; }

}  // namespace veldra_test
