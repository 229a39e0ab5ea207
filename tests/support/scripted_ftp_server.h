// A loopback FTP control server that answers from a script, for driving the FTP client down each
// of its roads: every reply can be replaced (and split into pieces sent apart), and the data
// connection back to the client's PORT address can be left out, cut short or over-long. Sessions
// come one after another, bounded in time; the commands they received are kept for the test.
#pragma once
#include <atomic>
#include <chrono>
#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "plat/sockets.h"

namespace veldra_test {

struct FtpScript {
  std::string greeting = "220 scripted\r\n";
  // Replies by command word in lower case ("user", "pass", "cwd", "type", "port", "rest",
  // "retr"); each is sent as its pieces with pauseMs between them. A word without an entry gets
  // the reply of a willing server; an unknown command "500".
  std::map<std::string, std::vector<std::string>> replies;
  // The file: the "retr" reply of a willing server announces `announced` (default: its size) as
  // "150 Opening BINARY mode data connection for NAME (N bytes).\r\n".
  std::string data;
  // Files by name in place of `data` when not empty: "retr" of another name is answered "550".
  std::map<std::string, std::string> files;
  std::optional<int64_t> announced;
  bool connectBack = true;           // for a "retr" answered with 150 or 125, before the reply
  std::optional<size_t> closeAfter;  // the data connection ends after this many bytes
  int pauseMs = 100;
  int sessions = 1;  // control connections served one after another, each with this script
};

class ScriptedFtpServer {
 public:
  // Listens on 127.0.0.1 at a free port.
  ScriptedFtpServer();
  // Ends a session still running (bounded) and stops listening.
  ~ScriptedFtpServer();
  ScriptedFtpServer(const ScriptedFtpServer&) = delete;
  ScriptedFtpServer& operator=(const ScriptedFtpServer&) = delete;

  uint16_t port() const { return port_; }
  // Starts the sessions on a thread: each waits for the client, greets it and answers until the
  // client closes the control connection; all of them give up after 20 s.
  void serve(FtpScript script);
  // Waits (at most 10 s) for the sessions to end, not for a client that has not come; the
  // command lines received, line ends cut.
  std::vector<std::string> finish();
  // Whether a session connected back to the client's PORT address.
  bool connectedBack() const { return connectedBack_; }

 private:
  using Clock = std::chrono::steady_clock;

  void session(FtpScript script);
  void converse(const FtpScript& script, plat::net::Socket& control, Clock::time_point deadline);
  static const std::string* fileFor(const FtpScript& script, const std::string& name);
  std::vector<std::string> replyFor(const FtpScript& script, const std::string& word, const std::string& argument) const;

  plat::net::Socket listener_;
  uint16_t port_ = 0;
  std::thread thread_;
  std::atomic<bool> stop_{false};
  std::atomic<bool> done_{false};
  std::atomic<bool> finishing_{false};  // finish() was called: a client that has not come never will
  std::atomic<bool> connectedBack_{false};
  std::mutex mutex_;
  std::vector<std::string> commands_;
};

}  // namespace veldra_test
