// Debian's nginx on 127.0.0.1 for tests: a temporary prefix folder with its own configuration,
// a free high port, a site folder the test fills, an access log that shows each request's Range
// header. Started in the foreground and stopped by the process id it was started with.
#pragma once
#include <string>
#include <vector>

namespace veldra_test {

class NginxFixture {
 public:
  NginxFixture();
  // Stops nginx (by its process id) and removes the prefix folder.
  ~NginxFixture();
  NginxFixture(const NginxFixture&) = delete;
  NginxFixture& operator=(const NginxFixture&) = delete;

  // Starts nginx serving site(); false (with why in error()) when the binary is missing or it
  // does not answer within a few seconds.
  bool start();
  // Stops it; true when the process has ended.
  bool stop();

  // nginx's limit_rate for every connection ("1m"), set before start(); "" for none.
  std::string limitRate;

  const std::string& site() const { return site_; }          // host folder served at "/"
  void writeFile(const std::string& rel, const std::string& bytes) const;
  std::string url(const std::string& path) const;
  int port() const { return port_; }
  int pid() const { return pid_; }
  const std::string& error() const { return error_; }

  // The access log's lines: "METHOD PATH STATUS RANGE CONNECTION" with "-" for no Range
  // header; CONNECTION is nginx's serial number of the connection, which grows with each one.
  std::vector<std::string> accessLog() const;
  // The serial number of a connection made now (a request for "/.markN", waited for in the log
  // for a few seconds), -1 when there is none: every request of a later connection has a higher
  // number, however late nginx logs the requests of the connections before it.
  long connectionMark() const;

 private:
  std::string prefix_;
  std::string site_;
  std::string error_;
  int port_ = 0;
  int pid_ = -1;
  mutable int marks_ = 0;
};

}  // namespace veldra_test
