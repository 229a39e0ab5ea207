// The scripted world/chat test server, with the updater's gateway beside them. Loopback only, bounded in time and connections, and it
// stops by itself. The `testserver` program is a thin command line over this class; tests and
// benchmarks also run it in-process on a thread.
#pragma once
#include <atomic>
#include <cstdint>
#include <fstream>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "plat/netframe.h"
#include "tools/testserver/script.h"

namespace testserver {

struct Options {
  std::string bind = "127.0.0.1";
  uint16_t worldPort = 0;  // 0 picks a free port
  uint16_t chatPort = 0;
  // The gateway listener: opened when set or when the script names the gateway (port 0 then).
  std::optional<uint16_t> gatewayPort;
  std::string portsFile;       // "world PORT", "chat PORT" (and "gateway PORT") lines once listening
  std::string transcriptFile;  // one line per event
  uint32_t maxSeconds = 60;
  uint32_t idleSeconds = 30;
  uint32_t maxConnections = 16;
  std::string profile;  // responders, "" none
  uint32_t maxPayload = plat::netframe::kDefaultMaxPayload;
  bool printPorts = false;  // also to stdout
};

constexpr uint32_t kMaxSecondsLimit = 600;
constexpr uint32_t kLingerMs = 200;

class Server {
 public:
  Server(Options options, Script script);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Opens the listeners (refusing any address but loopback) and writes the ports file.
  bool listen(std::string& error);
  uint16_t worldPort() const;
  uint16_t chatPort() const;
  uint16_t gatewayPort() const;  // 0 when there is no gateway listener
  // Plays the script until it ends or a bound stops it: 0 when every expect was met, else 1.
  int run();
  // Thread-safe: ends run() soon, as a signal would.
  void stop() { stopRequested_ = true; }
  // Thread-safe copy of the transcript so far.
  std::vector<std::string> transcript() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
  std::atomic<bool> stopRequested_{false};
};

}  // namespace testserver
