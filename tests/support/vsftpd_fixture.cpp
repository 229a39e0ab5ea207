#include "tests/support/vsftpd_fixture.h"

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

#include "plat/sockets.h"
#include "tests/support/child_process.h"

namespace veldra_test {

namespace {

std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A port that nothing listens on right now.
uint16_t freePort() {
  plat::net::Socket s = plat::net::listen("127.0.0.1", 0, 1);
  const auto e = plat::net::local(s);
  return e ? e->port : 0;
}

}  // namespace

VsftpdFixture::VsftpdFixture() {
  dir_.mkdir("root");
  dir_.mkdir("empty");
}

VsftpdFixture::~VsftpdFixture() { stop(); }

void VsftpdFixture::put(std::string_view rel, std::string_view bytes) const {
  dir_.write("root/" + std::string(rel), bytes);
}

bool VsftpdFixture::start() {
  if (!std::ifstream(BINARY)) {
    error_ = std::string(BINARY) + " is missing: install the Debian package vsftpd (scripts/deps.sh lists it)";
    return false;
  }
  port_ = freePort();
  const std::string conf = dir_.hostPath("vsftpd.conf");
  dir_.write("vsftpd.conf",
             "listen=YES\n"
             "listen_ipv6=NO\n"
             "listen_address=127.0.0.1\n"
             "listen_port=" + std::to_string(port_) + "\n"
             "background=NO\n"
             "anonymous_enable=YES\n"
             "no_anon_password=NO\n"
             "local_enable=NO\n"
             "write_enable=NO\n"
             "port_enable=YES\n"
             "connect_from_port_20=NO\n"
             "seccomp_sandbox=NO\n"
             "run_as_launching_user=YES\n"
             "anon_root=" + root() + "\n"
             "secure_chroot_dir=" + dir_.hostPath("empty") + "\n"
             "syslog_enable=NO\n"
             "xferlog_enable=YES\n"
             "xferlog_std_format=NO\n"
             "log_ftp_protocol=YES\n"
             "vsftpd_log_file=" + dir_.hostPath("vsftpd.log") + "\n");
  pid_ = startProcess(BINARY, {conf}, {}, dir_.hostPath("stderr.txt"));
  if (pid_ < 0) {
    error_ = std::string("cannot start ") + BINARY;
    return false;
  }
  const uint32_t loopback = plat::net::inetAddr("127.0.0.1");
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    if (plat::net::connect(loopback, port_, 200).valid()) return true;
    if (!processAlive(pid_)) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  error_ = "vsftpd never listened on 127.0.0.1:" + std::to_string(port_) + ": " + readText(dir_.hostPath("stderr.txt"));
  stop();
  return false;
}

bool VsftpdFixture::stop() {
  if (pid_ <= 0) return true;
  stopProcess(pid_);
  const bool ended = !processAlive(pid_);
  pid_ = -1;
  return ended;
}

std::string VsftpdFixture::log() const { return readText(dir_.hostPath("vsftpd.log")); }

}  // namespace veldra_test
