// A test server playing a script on a thread of this process, on free loopback ports; stopped
// and joined when it goes out of scope.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <thread>

#include "tools/testserver/server.h"

namespace veldra_test {

class RunningServer {
 public:
  RunningServer(const std::string& script, const testserver::Options& o)
      : server_(std::make_unique<testserver::Server>(o, testserver::Script::parse(script))) {
    std::string error;
    listening_ = server_->listen(error);
    EXPECT_TRUE(listening_) << error;
    if (listening_) thread_ = std::thread([this] { code_ = server_->run(); });
  }
  ~RunningServer() {
    if (thread_.joinable()) {
      server_->stop();
      thread_.join();
    }
  }
  RunningServer(const RunningServer&) = delete;
  RunningServer& operator=(const RunningServer&) = delete;

  bool listening() const { return listening_; }
  // Waits for the script to end: the run's exit code (-1 when it never ran).
  int finish() {
    if (thread_.joinable()) thread_.join();
    return code_;
  }
  uint16_t world() const { return server_->worldPort(); }
  uint16_t chat() const { return server_->chatPort(); }
  testserver::Server& server() const { return *server_; }

 private:
  std::unique_ptr<testserver::Server> server_;
  std::thread thread_;
  bool listening_ = false;
  int code_ = -1;
};

}  // namespace veldra_test
