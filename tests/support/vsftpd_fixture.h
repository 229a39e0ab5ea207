// Debian's vsftpd as a test peer: anonymous FTP on 127.0.0.1 at a free port, serving a folder the
// test fills, with its configuration, log and empty secure folder in a temporary folder of its
// own. Started in the foreground and stopped by the process id it was started with. The server
// runs as the user who starts it, without a chroot: a session starts in the served folder, so
// folders are named relative to it ("." or "pub"); "/" would be the machine's root.
#pragma once
#include <cstdint>
#include <string>
#include <string_view>

#include "tests/support/temp_game_dir.h"

namespace veldra_test {

class VsftpdFixture {
 public:
  static constexpr const char* BINARY = "/usr/sbin/vsftpd";

  VsftpdFixture();
  // Stops the server (if running); the folder goes with it unless VELDRA_KEEP_TMP=1.
  ~VsftpdFixture();
  VsftpdFixture(const VsftpdFixture&) = delete;
  VsftpdFixture& operator=(const VsftpdFixture&) = delete;

  // Writes a file under the served folder (rel uses '/'), making its folders.
  void put(std::string_view rel, std::string_view bytes) const;
  // Starts the server and waits (at most 10 s) until its port accepts. False, with the reason in
  // error(), when the binary is missing or the server never listened.
  bool start();
  // Stops the server by its process id, bounded; true when that process has ended.
  bool stop();

  uint16_t port() const { return port_; }
  int pid() const { return pid_; }
  const std::string& error() const { return error_; }
  // The served folder (absolute host path).
  std::string root() const { return dir_.hostPath("root"); }
  // vsftpd's own log of the session (its standard error while running).
  std::string log() const;

 private:
  TempGameDir dir_;  // the configuration, the log, the served and the empty folder
  uint16_t port_ = 0;
  int pid_ = -1;
  std::string error_;
};

}  // namespace veldra_test
