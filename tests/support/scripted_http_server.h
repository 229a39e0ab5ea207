// A loopback HTTP server for the downloader's tests, driven by routes: each request's path picks
// a route, whose handler answers with a head and a body and the faults to inject (a head split
// with a pause, a body dropped after K bytes, a pause in mid-body). Every raw request is kept.
// Runs on 127.0.0.1 on a free port, on threads of the test's process, for at most its lifetime.
#pragma once
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "plat/sockets.h"

namespace veldra_test {

struct HttpRequest {
  std::string raw;        // the bytes up to and including the empty line
  std::string path;       // the object of the GET line
  int64_t rangeFirst = -1;  // "Range: bytes=N-", -1 without one
  int connection = 0;     // how many requests of this path came before this one
};

struct HttpReply {
  std::string head;                       // status line and header lines, "\r\n\r\n" included
  std::string body;
  size_t splitHeadAt = 0;                 // send the head in two parts at this byte (0: whole)
  uint32_t headPauseMs = 0;               // ... with this pause between them
  size_t dropAfter = SIZE_MAX;            // close the connection after this many body bytes
  size_t pauseAt = SIZE_MAX;              // pause once after this many body bytes
  uint32_t pauseMs = 0;
  bool closeWithoutReply = false;         // close as soon as the request is in
};

using HttpHandler = std::function<HttpReply(const HttpRequest&)>;

class ScriptedHttpServer {
 public:
  // Stops by itself after lifetimeMs.
  explicit ScriptedHttpServer(uint32_t lifetimeMs = 60000);
  ~ScriptedHttpServer();
  ScriptedHttpServer(const ScriptedHttpServer&) = delete;
  ScriptedHttpServer& operator=(const ScriptedHttpServer&) = delete;

  void route(const std::string& path, HttpHandler handler);
  // Starts listening; false when no port could be had.
  bool start();
  // Closes the listener and every connection, joins the threads; afterwards connects fail.
  void stop();

  uint16_t port() const { return port_; }
  std::string url(const std::string& path) const;
  std::vector<HttpRequest> requests(const std::string& path = {}) const;

  // A file served with range requests as a web server does: 206 with Content-Range from the
  // requested byte, 416 past the end, 200 without a Range.
  static HttpReply serveFile(const HttpRequest& req, const std::string& content);
  static std::string head(const std::string& statusLine, const std::vector<std::string>& headers);

 private:
  void acceptLoop();
  void serve(plat::net::Socket s);

  uint32_t lifetimeMs_;
  uint16_t port_ = 0;
  plat::net::Socket listener_;
  std::atomic<bool> stop_{false};
  std::thread acceptThread_;
  mutable std::mutex mutex_;
  std::vector<std::thread> workers_;
  std::map<std::string, HttpHandler> routes_;
  std::vector<HttpRequest> requests_;
  std::map<std::string, int> counts_;
};

}  // namespace veldra_test
