// The scripted HTTP server: one accept thread, one thread per connection, polling with short
// timeouts so that stop() ends everything promptly.
#include "tests/support/scripted_http_server.h"

#include <chrono>

namespace veldra_test {

namespace net = plat::net;

namespace {

constexpr int kPollMs = 20;

using Clock = std::chrono::steady_clock;

bool waitFor(net::Socket& s, bool write, const std::atomic<bool>& stop) {
  while (!stop.load()) {
    net::WaitEntry e{&s, !write, write};
    const int r = net::wait(std::span<net::WaitEntry>(&e, 1), kPollMs);
    if (r < 0) return false;
    if (r > 0) return true;
  }
  return false;
}

bool sendAll(net::Socket& s, const char* p, size_t n, const std::atomic<bool>& stop) {
  while (n > 0) {
    size_t done = 0;
    const net::Io r = net::send(s, p, n, done);
    if (r == net::Io::Ok) {
      p += done;
      n -= done;
    } else if (r == net::Io::WouldBlock) {
      if (!waitFor(s, true, stop)) return false;
    } else {
      return false;
    }
  }
  return true;
}

void pause(uint32_t ms, const std::atomic<bool>& stop) {
  const auto until = Clock::now() + std::chrono::milliseconds(ms);
  while (!stop.load() && Clock::now() < until) std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

HttpRequest parseRequest(const std::string& raw) {
  HttpRequest req;
  req.raw = raw;
  const size_t sp1 = raw.find(' ');
  const size_t sp2 = sp1 == std::string::npos ? std::string::npos : raw.find(' ', sp1 + 1);
  if (sp2 != std::string::npos) req.path = raw.substr(sp1 + 1, sp2 - sp1 - 1);
  const size_t range = raw.find("\r\nRange: bytes=");
  if (range != std::string::npos) req.rangeFirst = std::stoll(raw.substr(range + 15));
  return req;
}

}  // namespace

ScriptedHttpServer::ScriptedHttpServer(uint32_t lifetimeMs) : lifetimeMs_(lifetimeMs) {}

ScriptedHttpServer::~ScriptedHttpServer() { stop(); }

void ScriptedHttpServer::route(const std::string& path, HttpHandler handler) {
  std::lock_guard<std::mutex> lock(mutex_);
  routes_[path] = std::move(handler);
}

bool ScriptedHttpServer::start() {
  listener_ = net::listen("127.0.0.1", 0, 64);
  if (!listener_.valid()) return false;
  const auto ep = net::local(listener_);
  if (!ep) return false;
  port_ = ep->port;
  acceptThread_ = std::thread([this] { acceptLoop(); });
  return true;
}

void ScriptedHttpServer::stop() {
  stop_.store(true);
  if (acceptThread_.joinable()) acceptThread_.join();
  std::vector<std::thread> workers;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    workers.swap(workers_);
  }
  for (std::thread& t : workers) t.join();
  listener_.close();
}

std::string ScriptedHttpServer::url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

std::vector<HttpRequest> ScriptedHttpServer::requests(const std::string& path) const {
  std::lock_guard<std::mutex> lock(mutex_);
  if (path.empty()) return requests_;
  std::vector<HttpRequest> out;
  for (const HttpRequest& r : requests_)
    if (r.path == path) out.push_back(r);
  return out;
}

void ScriptedHttpServer::acceptLoop() {
  const auto end = Clock::now() + std::chrono::milliseconds(lifetimeMs_);
  while (!stop_.load()) {
    if (Clock::now() >= end) {
      // The lifetime is over: stop taking connections and close the listener.
      listener_.close();
      return;
    }
    net::WaitEntry e{&listener_, true, false};
    if (net::wait(std::span<net::WaitEntry>(&e, 1), kPollMs) <= 0) continue;
    net::Socket s = net::accept(listener_);
    if (!s.valid()) continue;
    std::lock_guard<std::mutex> lock(mutex_);
    workers_.emplace_back([this, sock = std::move(s)]() mutable { serve(std::move(sock)); });
  }
  // stop() closes the listener once this thread has ended.
}

void ScriptedHttpServer::serve(net::Socket s) {
  std::string raw;
  char buf[4096];
  while (raw.find("\r\n\r\n") == std::string::npos && raw.size() < 65536) {
    if (!waitFor(s, false, stop_)) return;
    size_t got = 0;
    const net::Io r = net::recv(s, buf, sizeof buf, got);
    if (r == net::Io::Ok) raw.append(buf, got);
    else if (r != net::Io::WouldBlock) return;
  }
  raw.resize(raw.find("\r\n\r\n") + 4);
  HttpRequest req = parseRequest(raw);
  HttpHandler handler;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    req.connection = counts_[req.path]++;
    requests_.push_back(req);
    auto it = routes_.find(req.path);
    if (it != routes_.end()) handler = it->second;
  }
  HttpReply reply = handler ? handler(req) : HttpReply{head("HTTP/1.1 404 Not Found", {"Content-Length: 0"}), {}};
  if (reply.closeWithoutReply) return;
  const size_t end = reply.body.size() < reply.dropAfter ? reply.body.size() : reply.dropAfter;
  const size_t firstPart = reply.pauseAt < end ? reply.pauseAt : end;
  const size_t split = reply.splitHeadAt > 0 && reply.splitHeadAt < reply.head.size() ? reply.splitHeadAt : 0;
  if (split > 0) {
    if (!sendAll(s, reply.head.data(), split, stop_)) return;
    pause(reply.headPauseMs, stop_);
    if (!sendAll(s, reply.head.data() + split, reply.head.size() - split, stop_)) return;
    if (!sendAll(s, reply.body.data(), firstPart, stop_)) return;
  } else {
    // Head and body up to the first pause in one send, as a server with the file in memory does.
    const std::string out = reply.head + reply.body.substr(0, firstPart);
    if (!sendAll(s, out.data(), out.size(), stop_)) return;
  }
  if (firstPart < end) {
    pause(reply.pauseMs, stop_);
    sendAll(s, reply.body.data() + firstPart, end - firstPart, stop_);
  }
  // Closing here ends the reply, as "Connection: close" promises.
}

std::string ScriptedHttpServer::head(const std::string& statusLine, const std::vector<std::string>& headers) {
  std::string h = statusLine + "\r\n";
  for (const std::string& line : headers) h += line + "\r\n";
  return h + "\r\n";
}

HttpReply ScriptedHttpServer::serveFile(const HttpRequest& req, const std::string& content) {
  HttpReply r;
  const int64_t size = static_cast<int64_t>(content.size());
  if (req.rangeFirst < 0) {
    r.head = head("HTTP/1.1 200 OK", {"Content-Length: " + std::to_string(size), "Connection: close"});
    r.body = content;
  } else if (req.rangeFirst >= size) {
    r.head = head("HTTP/1.1 416 Requested Range Not Satisfiable",
                  {"Content-Range: bytes */" + std::to_string(size), "Content-Length: 0"});
  } else {
    r.head = head("HTTP/1.1 206 Partial Content",
                  {"Content-Length: " + std::to_string(size - req.rangeFirst),
                   "Content-Range: bytes " + std::to_string(req.rangeFirst) + "-" + std::to_string(size - 1) + "/" +
                       std::to_string(size),
                   "Connection: close"});
    r.body = content.substr(static_cast<size_t>(req.rangeFirst));
  }
  return r;
}

}  // namespace veldra_test
