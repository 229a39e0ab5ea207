// One file fetched from an FTP server into an open file, in active mode: the server connects
// back to a port this side listens on. The control port is the launcher configuration's
// FtpPort. Each command waits for its reply (one second per empty read, ten reads at most); only
// the first line of a reply counts. No QUIT is sent: Close (or destruction) drops the sockets.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "plat/sockets.h"
#include "updater/ftp_reply.h"
#include "updater/timing.h"

namespace plat {
class File;
}

namespace updater {

// Download's results: 0, or the step that failed.
enum FtpResult : int {
  FTP_OK = 0,
  FTP_NO_SOCKET_LIBRARY = 51,  // never returned: there is no library to start
  FTP_NO_CONTROL_SOCKET = 157,
  FTP_NO_CONNECTION = 167,
  FTP_USER_REFUSED = 205,      // "user" not answered with 331
  FTP_PASS_REFUSED = 217,      // "pass" not answered with 230
  FTP_CWD_REFUSED = 347,       // "cwd" not answered with 250
  FTP_TYPE_REFUSED = 371,      // "type i" not answered with 200
  FTP_NO_DATA_SOCKET = 563,    // the listening data socket cannot be made
  FTP_PORT_REFUSED = 577,      // "PORT" not answered with 200
  FTP_REST_REFUSED = 585,      // "rest" not answered with 350
  FTP_RETR_REFUSED = 594,      // "retr" not answered with 150 or 125
  FTP_RETR_NO_LINE_END = 603,
  FTP_RETR_NO_PAREN = 608,     // no "(" before the size
  FTP_RETR_NO_BLANK = 613,     // no blank after the size, or a size that is no byte count
  FTP_ACCEPT_FAILED = 634,
  FTP_RECEIVE_FAILED = 655,
  FTP_DATA_SHORT = 680,        // the data connection ended before the announced size
};

constexpr size_t FTP_TEXT_MAX = 1023;          // server, directory, user, password, remote name
constexpr size_t FTP_RECEIVE_BUFFER = 102400;
constexpr int FTP_ACCEPT_ATTEMPTS = 10;
constexpr int FTP_DATA_ROUNDS = 6000;

class CFtpClient {
 public:
  explicit CFtpClient(const Timing& timing = Timing{});
  ~CFtpClient();
  CFtpClient(const CFtpClient&) = delete;
  CFtpClient& operator=(const CFtpClient&) = delete;

  // Fetches `remoteName` from `directory` on the server at the dotted address `server` into
  // `file` (written from its current position). 0 when every announced byte was written, else
  // an FtpResult. Each text is kept to FTP_TEXT_MAX characters; one holding a control character
  // (a CR or LF would add a command) fails its command's step without sending it. The sockets
  // stay open until Close.
  int Download(std::string_view server, std::string_view directory, std::string_view user,
               std::string_view password, std::string_view remoteName, plat::File& file);
  // Closes the data, listening and control sockets (each if open).
  void Close();

  // Set when "type i" was refused.
  bool transferFailed() const { return transferFailed_; }

 private:
  int connectControl();
  int login();
  int transfer(plat::File& file);
  int command(const std::string& line);  // sends it and reads the reply; the reply's code
  int acceptData();
  int receiveData(plat::File& file, int64_t size);

  Timing timing_;
  plat::net::Socket control_;
  plat::net::Socket listener_;
  plat::net::Socket data_;
  uint32_t serverIp_ = 0;  // network order
  uint32_t ownIp_ = 0;     // network order, from the control connection
  std::string directory_, user_, password_, remoteName_;
  FtpReply reply_;
  int32_t resumeOffset_ = 0;
  bool transferFailed_ = false;
  std::vector<uint8_t> receiveBuffer_;
};

}  // namespace updater
