// The test server's loop: listeners, connections, script steps, responders and the transcript.
#include "tools/testserver/server.h"

#include <chrono>
#include <cstdio>
#include <deque>
#include <filesystem>

#include "plat/netclient.h"
#include "plat/sockets.h"
#include "plat/termination.h"
#include "tools/testserver/responders.h"

namespace testserver {

namespace net = plat::net;
namespace nf = plat::netframe;
using Clock = std::chrono::steady_clock;

namespace {

constexpr size_t kReadChunk = 64 * 1024;
constexpr size_t kInboxMax = 4096;  // frames kept for `expect`; the oldest go first

struct Received {
  uint32_t id;
  int32_t arg;
  std::vector<uint8_t> payload;
};

struct Conn {
  net::Socket sock;
  nf::Decoder decoder;
  std::vector<uint8_t> out;
  size_t outRead = 0;
};

struct LinkState {
  net::Socket listener;
  uint16_t port = 0;
  uint32_t ipv4 = 0;
  std::unique_ptr<Conn> conn;
  std::deque<Received> inbox;
  uint32_t connects = 0;  // accepted and not yet taken by an `expect ... connect`
};

constexpr int kLinks = 3;

struct Rule {
  Link link;
  uint32_t id;
  FrameSpec reply;
};

std::string hex(uint32_t v) {
  char b[16];
  std::snprintf(b, sizeof b, "0x%x", v);
  return b;
}

void le32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

}  // namespace

struct Server::Impl final : Replies {
  Options opt;
  Script script;
  LinkState links[kLinks];
  std::vector<Rule> rules;
  Clock::time_point start = Clock::now();
  Clock::time_point lastTraffic = start;
  mutable std::mutex transcriptMutex;
  std::vector<std::string> lines;
  std::ofstream transcriptOut;
  uint32_t connections = 0;
  bool tooMany = false;
  RunState run;

  LinkState& at(Link l) { return links[static_cast<int>(l)]; }

  void log(const std::string& text) {
    const double t = std::chrono::duration<double>(Clock::now() - start).count();
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "+%.3f ", t);
    std::string line = stamp + text;
    if (transcriptOut.is_open()) transcriptOut << line << '\n' << std::flush;
    std::lock_guard lock(transcriptMutex);
    lines.push_back(std::move(line));
  }

  const World& world() override { return script.world; }
  RunState& state() override { return run; }
  uint64_t nowMs() override {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - start).count());
  }
  void note(const std::string& text) override { log(text); }
  bool connected(Link l) override { return at(l).conn != nullptr; }

  // A link's client changed: what the run knew of the old one goes.
  void forget(Link l) {
    run.loggedIn[static_cast<int>(l)].reset();
    run.queue[static_cast<int>(l)] = {};
  }

  std::vector<uint8_t> address(Link l) override {
    std::vector<uint8_t> b;
    le32(b, at(l).ipv4);  // the address bytes as they are, then the port
    le32(b, at(l).port);
    return b;
  }

  void send(Link l, uint32_t id, int32_t arg, std::span<const uint8_t> payload) override {
    LinkState& ls = at(l);
    const char* name = linkName(l);
    if (!ls.conn) {
      log(std::string(name) + " SEND " + hex(id) + " dropped: no client");
      return;
    }
    nf::append(ls.conn->out, id, arg, payload.data(), static_cast<uint32_t>(payload.size()));
    queued(l, std::string(name) + " SEND " + hex(id) + " arg=" + std::to_string(arg) +
                  " len=" + std::to_string(payload.size()));
  }

  // Bytes that need not be a frame, for the client's error paths. The caller checked the link.
  void sendRaw(Link l, std::span<const uint8_t> bytes, const char* what = " RAW len=") {
    std::vector<uint8_t>& out = at(l).conn->out;
    out.insert(out.end(), bytes.begin(), bytes.end());
    queued(l, std::string(linkName(l)) + what + std::to_string(bytes.size()));
  }

  // The gateway's reply: the items after their total length + 4, little-endian.
  void sendGatewayReply(std::span<const uint8_t> items) {
    std::vector<uint8_t> b;
    le32(b, static_cast<uint32_t>(items.size() + 4));
    b.insert(b.end(), items.begin(), items.end());
    sendRaw(Link::Gateway, b, " SEND len=");
  }

  // Logs what was just queued and writes what the socket takes; a queue the client does not
  // drain closes the link.
  void queued(Link l, std::string line) {
    log(std::move(line));
    lastTraffic = Clock::now();
    LinkState& ls = at(l);
    if (ls.conn->out.size() - ls.conn->outRead > plat::kNetSendQueueMax) {
      log(std::string(linkName(l)) + " CLOSE output queue full");
      ls.conn.reset();
      return;
    }
    flush(l);
  }

  std::vector<uint8_t> build(const FrameSpec& f) {
    std::vector<uint8_t> p;
    for (const PayloadItem& it : f.items) {
      if (it.kind == PayloadItem::Bytes) {
        p.insert(p.end(), it.bytes.begin(), it.bytes.end());
      } else if (it.kind == PayloadItem::Line) {
        // The world listener's address and port go where the script asked for them.
        const size_t at = p.size();
        p.insert(p.end(), it.bytes.begin(), it.bytes.end());
        const std::vector<uint8_t> w = address(Link::World);
        if (it.lineWorldAddr) std::copy(w.begin(), w.begin() + 4, p.begin() + at + 68);
        if (it.lineWorldPort) std::copy(w.begin() + 4, w.end(), p.begin() + at + 72);
      } else {
        std::vector<uint8_t> a = address(it.kind == PayloadItem::AddrWorld ? Link::World : Link::Chat);
        p.insert(p.end(), a.begin(), a.end());
      }
    }
    return p;
  }

  void flush(Link l) {
    Conn* c = at(l).conn.get();
    if (!c) return;
    while (c->outRead < c->out.size()) {
      size_t done = 0;
      net::Io r = net::send(c->sock, c->out.data() + c->outRead, c->out.size() - c->outRead, done);
      if (r == net::Io::Ok) {
        c->outRead += done;
        continue;
      }
      if (r != net::Io::WouldBlock) {
        log(std::string(linkName(l)) + " DISCONNECT");
        at(l).conn.reset();
        return;
      }
      break;
    }
    if (c->outRead == c->out.size()) {
      c->out.clear();
      c->outRead = 0;
    }
  }

  void acceptOn(Link l) {
    LinkState& ls = at(l);
    for (;;) {
      net::Socket s = net::accept(ls.listener);
      if (!s.valid()) return;
      lastTraffic = Clock::now();
      if (++connections > opt.maxConnections) {
        log(std::string(linkName(l)) + " REFUSED more than " + std::to_string(opt.maxConnections) + " connections");
        tooMany = true;
        return;
      }
      if (ls.conn) log(std::string(linkName(l)) + " CLOSE replaced by a new connection");
      ls.conn = std::make_unique<Conn>();
      ls.conn->sock = std::move(s);
      ls.conn->decoder.setMaxPayload(opt.maxPayload);
      if (l != Link::Gateway) forget(l);
      ++ls.connects;
      log(std::string(linkName(l)) + " CONNECT");
    }
  }

  // The updater sends the gateway nothing; whatever comes is dropped, and the end is noted.
  void readGateway() {
    LinkState& ls = at(Link::Gateway);
    uint8_t buf[4096];
    for (;;) {
      size_t got = 0;
      net::Io r = net::recv(ls.conn->sock, buf, sizeof buf, got);
      if (r == net::Io::Ok) {
        lastTraffic = Clock::now();
        continue;
      }
      if (r != net::Io::WouldBlock) {
        log("gateway DISCONNECT");
        ls.conn.reset();
      }
      return;
    }
  }

  void readFrom(Link l) {
    if (l == Link::Gateway) return readGateway();
    LinkState& ls = at(l);
    Conn* c = ls.conn.get();
    if (!c) return;
    bool gone = false;
    const size_t limit = static_cast<size_t>(opt.maxPayload) + nf::kHeaderSize + kReadChunk;
    while (c->decoder.buffered() < limit) {
      std::span<uint8_t> room = c->decoder.space(kReadChunk);
      size_t got = 0;
      net::Io r = net::recv(c->sock, room.data(), room.size(), got);
      if (r == net::Io::Ok) {
        c->decoder.commit(got);
        lastTraffic = Clock::now();
        continue;
      }
      gone = r != net::Io::WouldBlock;
      break;
    }
    const char* name = linkName(l);
    nf::Frame f;
    for (;;) {
      nf::Decoder::Result r = c->decoder.next(f);
      if (r == nf::Decoder::Result::NeedMore) break;
      if (r == nf::Decoder::Result::TooLong) {
        log(std::string(name) + " CLOSE framing error");
        ls.conn.reset();
        return;
      }
      Received in{f.id, f.arg, std::vector<uint8_t>(f.payload, f.payload + f.length)};
      if (f.id == nf::kHelloId) {
        log(std::string(name) + " HELLO " + hex(static_cast<uint32_t>(f.arg)));
      } else {
        log(std::string(name) + " RECV " + hex(f.id) + " arg=" + std::to_string(f.arg) + " len=" + std::to_string(f.length));
        answer(l, in);
        if (ls.conn.get() != c) return;  // a reply failed and dropped the connection
      }
      ls.inbox.push_back(std::move(in));
      if (ls.inbox.size() > kInboxMax) ls.inbox.pop_front();
    }
    if (gone) {
      log(std::string(name) + " DISCONNECT");
      ls.conn.reset();
    }
  }

  void answer(Link l, const Received& in) {
    for (const Rule& r : rules) {
      if (r.link == l && r.id == in.id) {
        std::vector<uint8_t> p = build(r.reply);
        send(r.reply.link, r.reply.id, r.reply.arg, p);
      }
    }
    if (opt.profile.empty()) return;
    Incoming msg{l, in.id, in.arg, in.payload};
    for (ResponderFn fn : respondersFor(opt.profile, in.id)) fn(msg, *this);
  }

  void tick() {
    if (opt.profile.empty()) return;
    for (TickFn fn : ticksFor(opt.profile)) fn(*this);
  }

  void io(int timeoutMs) {
    net::WaitEntry w[kLinks * 2];
    for (int i = 0; i < kLinks; ++i) {
      w[i * 2].socket = links[i].listener.valid() ? &links[i].listener : nullptr;
      Conn* c = links[i].conn.get();
      w[i * 2 + 1].socket = c ? &c->sock : nullptr;
      w[i * 2 + 1].wantWrite = c && c->outRead < c->out.size();
    }
    net::wait(w, timeoutMs);
    for (int i = 0; i < kLinks; ++i) {
      const Link l = static_cast<Link>(i);
      if (w[i * 2].readable) acceptOn(l);
      if (tooMany) return;
      if (w[i * 2 + 1].socket && links[i].conn && &links[i].conn->sock == w[i * 2 + 1].socket) {
        if (w[i * 2 + 1].readable) readFrom(l);
        if (links[i].conn) flush(l);
      }
    }
  }

  bool matches(const Step& s, const Received& r) const {
    if (s.kind == Step::ExpectHello) return r.id == nf::kHelloId && (!s.arg || *s.arg == r.arg);
    return r.id == s.id && (!s.arg || *s.arg == r.arg) && (!s.length || *s.length == r.payload.size());
  }

  bool takeExpected(const Step& s) {
    std::deque<Received>& inbox = at(s.link).inbox;
    for (auto it = inbox.begin(); it != inbox.end(); ++it) {
      if (matches(s, *it)) {
        inbox.erase(it);
        return true;
      }
    }
    return false;
  }

  // An accepted connection not yet expected.
  bool takeConnect(Link l) {
    uint32_t& connects = at(l).connects;
    if (connects == 0) return false;
    --connects;
    return true;
  }

  std::string describe(const Step& s) const {
    if (s.kind == Step::ExpectConnect) return std::string("expect ") + linkName(s.link) + " connect";
    std::string d = std::string("expect ") + linkName(s.link) + (s.kind == Step::ExpectHello ? " hello" : " " + hex(s.id));
    if (s.arg) d += " arg=" + std::to_string(*s.arg);
    if (s.length) d += " len=" + std::to_string(*s.length);
    return d;
  }
};

Server::Server(Options options, Script script) : impl_(std::make_unique<Impl>()) {
  impl_->opt = std::move(options);
  impl_->script = std::move(script);
}

Server::~Server() = default;

bool Server::listen(std::string& error) {
  Impl& m = *impl_;
  if (!net::isLoopbackAddress(m.opt.bind)) {
    error = "testserver: loopback addresses only";
    return false;
  }
  const bool gateway = m.opt.gatewayPort.has_value() || m.script.usesGateway;
  const uint16_t ports[kLinks] = {m.opt.worldPort, m.opt.chatPort, m.opt.gatewayPort.value_or(0)};
  for (int i = 0; i < (gateway ? kLinks : 2); ++i) {
    m.links[i].listener = net::listen(m.opt.bind, ports[i], 16);
    auto ep = net::local(m.links[i].listener);
    if (!m.links[i].listener.valid() || !ep) {
      error = std::string("testserver: cannot listen on ") + m.opt.bind + " port " + std::to_string(ports[i]);
      return false;
    }
    m.links[i].port = ep->port;
    m.links[i].ipv4 = ep->ipv4;
  }
  if (!m.opt.transcriptFile.empty()) {
    m.transcriptOut.open(m.opt.transcriptFile, std::ios::binary | std::ios::trunc);
    if (!m.transcriptOut) {
      error = "testserver: cannot write " + m.opt.transcriptFile;
      return false;
    }
  }
  std::string text = "world " + std::to_string(m.links[0].port) + "\nchat " + std::to_string(m.links[1].port) + "\n";
  if (gateway) text += "gateway " + std::to_string(m.links[2].port) + "\n";
  if (!m.opt.portsFile.empty()) {
    // Written whole and renamed, so that a reader never sees half of it.
    const std::string tmp = m.opt.portsFile + ".tmp";
    {
      std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
      out << text;
      if (!out) {
        error = "testserver: cannot write " + m.opt.portsFile;
        return false;
      }
    }
    std::error_code ec;
    std::filesystem::rename(tmp, m.opt.portsFile, ec);
    if (ec) {
      error = "testserver: cannot write " + m.opt.portsFile;
      return false;
    }
  }
  if (m.opt.printPorts) {
    std::fputs(text.c_str(), stdout);
    std::fflush(stdout);
  }
  m.start = m.lastTraffic = Clock::now();
  return true;
}

uint16_t Server::worldPort() const { return impl_->links[0].port; }
uint16_t Server::chatPort() const { return impl_->links[1].port; }
uint16_t Server::gatewayPort() const { return impl_->links[2].port; }

std::vector<std::string> Server::transcript() const {
  std::lock_guard lock(impl_->transcriptMutex);
  return impl_->lines;
}

int Server::run() {
  Impl& m = *impl_;
  const std::vector<Step>& steps = m.script.steps;
  const auto maxRun = std::chrono::seconds(std::min(m.opt.maxSeconds, kMaxSecondsLimit));
  const auto idle = std::chrono::seconds(m.opt.idleSeconds);
  size_t step = 0;
  Clock::time_point stepStart = Clock::now();
  bool lingering = false;
  Clock::time_point lingerStart;
  bool failed = false;
  std::string stopReason;

  for (;;) {
    if (stopRequested_ || plat::termination::requested()) {
      stopReason = "stop requested";
      break;
    }
    Clock::time_point now = Clock::now();
    if (now - m.start >= maxRun) {
      stopReason = "max-seconds reached";
      break;
    }
    if (now - m.lastTraffic >= idle) {
      stopReason = "idle-seconds reached";
      break;
    }
    while (!failed && step < steps.size()) {
      const Step& s = steps[step];
      bool done = false;
      switch (s.kind) {
        case Step::ExpectHello:
        case Step::Expect:
        case Step::ExpectConnect:
          if (s.kind == Step::ExpectConnect ? m.takeConnect(s.link) : m.takeExpected(s)) {
            done = true;
          } else if (now - stepStart > std::chrono::milliseconds(s.withinMs)) {
            m.log("FAIL line " + std::to_string(s.line) + ": " + m.describe(s) + " not met within " +
                  std::to_string(s.withinMs) + " ms");
            failed = true;
          }
          break;
        case Step::GatewayReply:
        case Step::GatewayRaw:
          if (!m.at(s.link).conn) {
            m.log("FAIL line " + std::to_string(s.line) + ": no gateway client to send to");
            failed = true;
          } else {
            std::vector<uint8_t> p = m.build(s.frame);
            if (s.kind == Step::GatewayReply)
              m.sendGatewayReply(p);
            else
              m.sendRaw(s.link, p);
            done = true;
          }
          break;
        case Step::Send:
        case Step::Raw:
          if (!m.at(s.link).conn) {
            m.log("FAIL line " + std::to_string(s.line) + ": no " + linkName(s.link) + " client to send to");
            failed = true;
          } else {
            std::vector<uint8_t> p = m.build(s.frame);
            if (s.kind == Step::Raw)
              m.sendRaw(s.link, p);
            else
              m.send(s.link, s.frame.id, s.frame.arg, p);
            done = true;
          }
          break;
        case Step::On:
          m.rules.push_back({s.link, s.id, s.frame});
          done = true;
          break;
        case Step::Wait:
          done = now - stepStart >= std::chrono::milliseconds(s.waitMs);
          break;
        case Step::Close:
          // The gateway's reply goes out whole before its connection closes.
          if (s.link == Link::Gateway && m.at(s.link).conn && m.at(s.link).conn->outRead < m.at(s.link).conn->out.size())
            break;
          if (m.at(s.link).conn) {
            m.log(std::string(linkName(s.link)) + " CLOSE");
            m.at(s.link).conn.reset();
          }
          done = true;
          break;
        case Step::End:
          step = steps.size() - 1;  // whatever follows `end` is not played
          done = true;
          break;
      }
      if (!done) break;
      ++step;
      stepStart = now;
    }
    if (failed) break;
    if (step >= steps.size()) {
      if (!lingering) {
        lingering = true;
        lingerStart = now;
        m.log("END");
      } else if (now - lingerStart >= std::chrono::milliseconds(kLingerMs)) {
        break;
      }
    }
    m.io(lingering ? 5 : 2);
    m.tick();
    if (m.tooMany) {
      stopReason = "too many connections";
      failed = true;
      break;
    }
  }

  if (!failed && step < steps.size()) {
    for (size_t i = step; i < steps.size(); ++i) {
      const Step& s = steps[i];
      if (s.kind == Step::End) break;
      if (s.kind == Step::Expect || s.kind == Step::ExpectHello || s.kind == Step::ExpectConnect) {
        m.log("FAIL line " + std::to_string(s.line) + ": " + m.describe(s) + " not met (" + stopReason + ")");
        failed = true;
        break;
      }
    }
  }
  if (!stopReason.empty()) m.log("STOP " + stopReason);
  for (LinkState& ls : m.links) {
    ls.conn.reset();
    ls.listener.close();
  }
  return failed ? 1 : 0;
}

}  // namespace testserver
