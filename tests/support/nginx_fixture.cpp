#include "tests/support/nginx_fixture.h"

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "plat/sockets.h"
#include "tests/support/child_process.h"

namespace veldra_test {

namespace {

constexpr const char* kNginx = "/usr/sbin/nginx";
constexpr int kStartMs = 5000;

// A port no one listens on now (nginx takes it a moment later).
int freePort() {
  plat::net::Socket s = plat::net::listen("127.0.0.1", 0, 1);
  if (!s.valid()) return 0;
  const auto ep = plat::net::local(s);
  return ep ? ep->port : 0;
}

std::string makeTempDir() {
  const char* tmp = std::getenv("TMPDIR");
  std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/veldra_nginx_XXXXXX";
  std::vector<char> buf(templ.begin(), templ.end());
  buf.push_back('\0');
  return ::mkdtemp(buf.data()) ? std::string(buf.data()) : std::string();
}

}  // namespace

NginxFixture::NginxFixture() {
  prefix_ = makeTempDir();
  site_ = prefix_ + "/site";
  std::filesystem::create_directories(site_);
}

NginxFixture::~NginxFixture() {
  stop();
  const char* keep = std::getenv("VELDRA_KEEP_TMP");
  if (!prefix_.empty() && !(keep && std::string(keep) == "1")) {
    std::error_code ec;
    std::filesystem::remove_all(prefix_, ec);
  }
}

void NginxFixture::writeFile(const std::string& rel, const std::string& bytes) const {
  const std::filesystem::path p = std::filesystem::path(site_) / rel;
  std::filesystem::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary) << bytes;
}

std::string NginxFixture::url(const std::string& path) const {
  return "http://127.0.0.1:" + std::to_string(port_) + path;
}

bool NginxFixture::start() {
  if (!std::filesystem::exists(kNginx)) {
    error_ = std::string(kNginx) + " is missing: install nginx-light (scripts/deps.sh)";
    return false;
  }
  for (int attempt = 0; attempt < 3 && pid_ < 0; ++attempt) {
    port_ = freePort();
    std::ofstream conf(prefix_ + "/nginx.conf");
    conf << "daemon off;\nmaster_process off;\nworker_processes 1;\npid " << prefix_ << "/nginx.pid;\n"
         << "error_log stderr;\nevents { worker_connections 64; }\n"
         << "http {\n"
         << "  log_format ranges '$request_method $uri $status $http_range $connection';\n"
         << "  access_log " << prefix_ << "/access.log ranges;\n"
         << "  client_body_temp_path " << prefix_ << "/body;\n  proxy_temp_path " << prefix_ << "/proxy;\n"
         << "  fastcgi_temp_path " << prefix_ << "/fastcgi;\n  uwsgi_temp_path " << prefix_ << "/uwsgi;\n"
         << "  scgi_temp_path " << prefix_ << "/scgi;\n"
         << "  default_type application/octet-stream;\n  sendfile on;\n"
         << "  server {\n    listen 127.0.0.1:" << port_ << ";\n    root " << site_ << ";\n"
         << (limitRate.empty() ? std::string() : "    limit_rate " + limitRate + ";\n") << "  }\n}\n";
    conf.close();
    pid_ = startProcess(kNginx, {"-e", "stderr", "-p", prefix_, "-c", prefix_ + "/nginx.conf"}, {},
                        prefix_ + "/stderr.log");
    if (pid_ < 0) break;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kStartMs);
    bool up = false;
    while (!up && std::chrono::steady_clock::now() < deadline && processAlive(pid_)) {
      up = plat::net::connect(plat::net::inetAddr("127.0.0.1"), static_cast<uint16_t>(port_), 200).valid();
      if (!up) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    if (up) return true;
    stop();  // the port was taken meanwhile, or nginx failed: try another port
  }
  std::ifstream err(prefix_ + "/stderr.log");
  std::stringstream ss;
  ss << err.rdbuf();
  error_ = "nginx did not start: " + ss.str();
  return false;
}

bool NginxFixture::stop() {
  if (pid_ < 0) return true;
  stopProcess(pid_);
  const bool ended = !processAlive(pid_);
  pid_ = -1;
  return ended;
}

std::vector<std::string> NginxFixture::accessLog() const {
  std::vector<std::string> lines;
  std::ifstream in(prefix_ + "/access.log");
  for (std::string line; std::getline(in, line);) lines.push_back(line);
  return lines;
}

long NginxFixture::connectionMark() const {
  namespace net = plat::net;
  // A path of its own for each mark, so that the line found is this one's.
  const std::string path = "/.mark" + std::to_string(++marks_);
  const std::string request = "GET " + path + " HTTP/1.0\r\n\r\n";
  net::Socket s = net::connect(net::inetAddr("127.0.0.1"), static_cast<uint16_t>(port_), 2000);
  if (!s.valid()) return -1;
  size_t sent = 0;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (sent < request.size() && std::chrono::steady_clock::now() < deadline) {
    size_t done = 0;
    const net::Io r = net::send(s, request.data() + sent, request.size() - sent, done);
    if (r == net::Io::Ok) sent += done;
    else if (r != net::Io::WouldBlock) return -1;
    else std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  // The answer read to its end, so that nginx has finished the request and logs it.
  for (char buf[512]; std::chrono::steady_clock::now() < deadline;) {
    size_t got = 0;
    const net::Io r = net::recv(s, buf, sizeof buf, got);
    if (r == net::Io::Closed || r == net::Io::Error) break;
    if (r == net::Io::WouldBlock) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  s.close();
  while (std::chrono::steady_clock::now() < deadline) {
    for (const std::string& line : accessLog())
      if (line.rfind("GET " + path + " ", 0) == 0) return std::stol(line.substr(line.rfind(' ') + 1));
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return -1;
}

}  // namespace veldra_test
