#include "tests/support/scripted_ftp_server.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>

namespace veldra_test {

namespace net = plat::net;

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kSessionLimit = std::chrono::seconds(20);
constexpr int kTickMs = 20;

// Waits until the socket is ready (or the deadline passes); false when it never is.
bool ready(const net::Socket& s, bool write, Clock::time_point deadline, const std::atomic<bool>& stop) {
  while (!stop && Clock::now() < deadline) {
    net::WaitEntry e{&s, !write, write};
    if (net::wait({&e, 1}, kTickMs) > 0) return true;
  }
  return false;
}

bool sendAll(net::Socket& s, std::string_view bytes, Clock::time_point deadline, const std::atomic<bool>& stop) {
  size_t sent = 0;
  while (sent < bytes.size()) {
    size_t done = 0;
    const net::Io r = net::send(s, bytes.data() + sent, bytes.size() - sent, done);
    if (r == net::Io::Ok) {
      sent += done;
    } else if (r != net::Io::WouldBlock || !ready(s, true, deadline, stop)) {
      return false;
    }
  }
  return true;
}

std::string lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

// "PORT a,b,c,d,hi,lo": the address in network order and the port; false when malformed.
bool parsePort(const std::string& argument, uint32_t& ip, uint16_t& port) {
  unsigned v[6];
  size_t at = 0;
  for (int i = 0; i < 6; ++i) {
    char* end = nullptr;
    const unsigned long n = std::strtoul(argument.c_str() + at, &end, 10);
    if (end == argument.c_str() + at || n > 255) return false;
    v[i] = static_cast<unsigned>(n);
    at = static_cast<size_t>(end - argument.c_str());
    if (i < 5) {
      if (at >= argument.size() || argument[at] != ',') return false;
      ++at;
    }
  }
  ip = v[0] | v[1] << 8 | v[2] << 16 | v[3] << 24;
  port = static_cast<uint16_t>(v[4] << 8 | v[5]);
  return true;
}

}  // namespace

ScriptedFtpServer::ScriptedFtpServer() {
  listener_ = net::listen("127.0.0.1", 0, 4);
  if (auto e = net::local(listener_)) port_ = e->port;
}

ScriptedFtpServer::~ScriptedFtpServer() {
  stop_ = true;
  if (thread_.joinable()) thread_.join();
}

void ScriptedFtpServer::serve(FtpScript script) {
  if (thread_.joinable()) {
    stop_ = true;
    thread_.join();
  }
  stop_ = false;
  done_ = false;
  finishing_ = false;
  connectedBack_ = false;
  {
    std::lock_guard lock(mutex_);
    commands_.clear();
  }
  thread_ = std::thread([this, s = std::move(script)]() mutable { session(std::move(s)); });
}

std::vector<std::string> ScriptedFtpServer::finish() {
  finishing_ = true;
  const auto deadline = Clock::now() + std::chrono::seconds(10);
  while (!done_ && Clock::now() < deadline) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  stop_ = true;
  if (thread_.joinable()) thread_.join();
  std::lock_guard lock(mutex_);
  return commands_;
}

std::vector<std::string> ScriptedFtpServer::replyFor(const FtpScript& script, const std::string& word,
                                                      const std::string& argument) const {
  if (auto it = script.replies.find(word); it != script.replies.end()) return it->second;
  if (word == "user") return {"331 Please specify the password.\r\n"};
  if (word == "pass") return {"230 Login successful.\r\n"};
  if (word == "cwd") return {"250 Directory successfully changed.\r\n"};
  if (word == "type") return {"200 Switching to Binary mode.\r\n"};
  if (word == "port") return {"200 PORT command successful.\r\n"};
  if (word == "rest") return {"350 Restart position accepted (0).\r\n"};
  if (word == "retr") {
    const std::string* bytes = fileFor(script, argument);
    if (!bytes) return {"550 Failed to open file.\r\n"};
    const int64_t n = script.announced.value_or(static_cast<int64_t>(bytes->size()));
    return {"150 Opening BINARY mode data connection for " + argument + " (" + std::to_string(n) + " bytes).\r\n"};
  }
  return {"500 Unknown command.\r\n"};
}

void ScriptedFtpServer::session(FtpScript script) {
  const auto deadline = Clock::now() + kSessionLimit;
  for (int i = 0; i < script.sessions && !stop_ && Clock::now() < deadline; ++i) {
    net::Socket control;
    while (!control.valid() && !stop_ && Clock::now() < deadline) {
      net::WaitEntry e{&listener_};
      if (net::wait({&e, 1}, kTickMs) > 0) control = net::accept(listener_);
      else if (finishing_) break;  // the client is done and never came
    }
    if (!control.valid() || !sendAll(control, script.greeting, deadline, stop_)) break;
    converse(script, control, deadline);
  }
  done_ = true;
}

const std::string* ScriptedFtpServer::fileFor(const FtpScript& script, const std::string& name) {
  if (script.files.empty()) return &script.data;
  const auto it = script.files.find(name);
  return it == script.files.end() ? nullptr : &it->second;
}

void ScriptedFtpServer::converse(const FtpScript& script, net::Socket& control, Clock::time_point deadline) {
  uint32_t dataIp = 0;
  uint16_t dataPort = 0;
  std::string pending;
  char buffer[4096];
  while (!stop_ && Clock::now() < deadline) {
    const size_t lineEnd = pending.find("\r\n");
    if (lineEnd == std::string::npos) {
      size_t got = 0;
      const net::Io r = net::recv(control, buffer, sizeof buffer, got);
      if (r == net::Io::Ok) pending.append(buffer, got);
      else if (r != net::Io::WouldBlock || !ready(control, false, deadline, stop_)) break;
      continue;
    }
    const std::string line = pending.substr(0, lineEnd);
    pending.erase(0, lineEnd + 2);
    {
      std::lock_guard lock(mutex_);
      commands_.push_back(line);
    }
    const size_t blank = line.find(' ');
    const std::string word = lower(line.substr(0, blank));
    const std::string argument = blank == std::string::npos ? "" : line.substr(blank + 1);
    if (word == "port") parsePort(argument, dataIp, dataPort);
    const std::vector<std::string> pieces = replyFor(script, word, argument);

    // As a real server does, the data connection comes before the reply that opens it.
    net::Socket data;
    const int code = pieces.empty() ? 0 : std::atoi(pieces.front().c_str());
    const std::string* bytes = word == "retr" ? fileFor(script, argument) : nullptr;
    if (bytes && (code == 150 || code == 125) && script.connectBack && dataPort != 0) {
      data = net::connect(dataIp, dataPort, 2000);
      connectedBack_ = data.valid();
    }
    for (size_t i = 0; i < pieces.size(); ++i) {
      if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(script.pauseMs));
      sendAll(control, pieces[i], deadline, stop_);
    }
    if (data.valid()) {
      const size_t n = std::min(bytes->size(), script.closeAfter.value_or(bytes->size()));
      sendAll(data, std::string_view(*bytes).substr(0, n), deadline, stop_);
      data.close();
    }
  }
}

}  // namespace veldra_test
