// The gateway query: connect to the chosen entry's gateway, read one length-prefixed reply, keep
// its lines, FTP texts and archive. Runs on the gateway worker.
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "plat/platform.h"
#include "plat/sockets.h"
#include "updater/extract_zip.h"
#include "updater/ftp_config.h"
#include "updater/gateway_reply.h"
#include "updater/module_path.h"
#include "updater/server_lines.h"
#include "updater/update_dlg.h"

namespace updater {

namespace net = plat::net;

namespace {

constexpr const char* INFO_ZIP = "info.zip";

// Connects within DOOR_CONNECT_ATTEMPTS tries, waiting after each failure; a failed socket is
// closed and a new one made, so none is left behind.
bool connectGateway(net::Socket& s, const SERVER_ENTRY& entry, const Timing& timing) {
  const uint32_t ip = net::inetAddr(std::string_view(entry.loginIP, strnlen(entry.loginIP, sizeof entry.loginIP)));
  const uint32_t timeoutMs = plat::environment().netConnectTimeoutMs;
  for (int attempt = 0; attempt < DOOR_CONNECT_ATTEMPTS; ++attempt) {
    if (!s.valid()) s = net::tcpSocket();
    if (net::connect(s, ip, entry.loginPort, timeoutMs)) return true;
    s.close();
    plat::get().clock().sleepMs(timing.connectRetryMs);
  }
  return false;
}

// The reply's length field, gathered whole (it may come in pieces). 0 when it never came;
// DOOR_CLOSED_BEFORE_LENGTH in `code` when the gateway closed first.
uint32_t readLength(net::Socket& s, const Timing& timing, int& code) {
  uint8_t b[4] = {};
  size_t have = 0;
  for (int attempt = 0; attempt < DOOR_RECEIVE_ATTEMPTS && have < sizeof b; ++attempt) {
    size_t got = 0;
    const net::Io r = net::recv(s, b + have, sizeof b - have, got);
    if (r == net::Io::Ok) {
      have += got;
    } else if (r == net::Io::WouldBlock) {
      plat::get().clock().sleepMs(timing.recvWaitMs);
    } else if (r == net::Io::Closed) {
      code = DOOR_CLOSED_BEFORE_LENGTH;
      return 0;
    } else {
      break;
    }
  }
  if (have < sizeof b) return 0;
  return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

// The body of the reply; DOOR_OK or the code of the receive that failed.
int readBody(net::Socket& s, const Timing& timing, std::vector<uint8_t>& body) {
  size_t have = 0;
  for (int round = 0; round < DOOR_RECEIVE_ATTEMPTS && have < body.size(); ++round) {
    size_t got = 0;
    const net::Io r = net::recv(s, body.data() + have, body.size() - have, got);
    if (r == net::Io::Ok) {
      have += got;
    } else if (r == net::Io::WouldBlock) {
      plat::get().clock().sleepMs(timing.recvWaitMs);
    } else if (r == net::Io::Closed) {
      return DOOR_CLOSED_IN_REPLY;
    }
    // Any other error: the next round, without a wait.
  }
  return have == body.size() ? DOOR_OK : DOOR_REPLY_INCOMPLETE;
}

// Writes the archive beside the program, hands it to the unpacker and removes it.
int takeArchive(std::span<const uint8_t> archive) {
  plat::IFileSystem& files = plat::get().files();
  const std::string zip = ModulePath(INFO_ZIP);
  {
    std::unique_ptr<plat::File> f = files.open(zip, "wb");
    if (!f || f->write(archive.data(), archive.size()) != archive.size() || !f->flush()) {
      f.reset();
      files.remove(zip);
      return DOOR_BAD_ARCHIVE;
    }
  }
  const int unpacked = ExtractZipToFolder(zip, ModulePath(""));
  plat::get().debugOut("gateway query: info.zip unpacked (" + std::to_string(unpacked) + ")");
  files.remove(zip);
  return DOOR_OK;
}

}  // namespace

int CUpdateDlg::QueryDoor() {
  const SERVER_ENTRY entry = chosenServer();
  net::Socket s = net::tcpSocket();
  if (!s.valid()) return DOOR_NO_SOCKET;
  if (!connectGateway(s, entry, timing)) return DOOR_NO_CONNECTION;

  int code = DOOR_OK;
  const uint32_t length = readLength(s, timing, code);
  if (code != DOOR_OK) return code;
  if (length < GATEWAY_REPLY_MIN || length > GATEWAY_REPLY_MAX) return DOOR_BAD_LENGTH;

  std::vector<uint8_t> body(length - 4);
  code = readBody(s, timing, body);
  if (code != DOOR_OK) return code;
  s.close();

  GatewayBody reply;
  code = parseGatewayBody(body, reply);
  // What the sound blocks gave is kept even when a later block fails.
  if (reply.linesOk) {
    ServerLineTable& table = serverLines();
    for (size_t i = 0; i < reply.lines.size(); ++i) table.records[i] = reply.lines[i];
    table.count = static_cast<int32_t>(reply.lines.size());
  }
  CFtpConfig& ftp = engineFtpConfig();
  if (reply.ftpServer) ftp.server = *reply.ftpServer;
  if (reply.ftpDirectory) ftp.directory = *reply.ftpDirectory;
  if (code != DOOR_OK) return code;
  return takeArchive(reply.archive);
}

void DoorQueryThread(CUpdateDlg* dialog) {
  int code = dialog->QueryDoor();
  if (code != DOOR_OK) {
    plat::get().debugOut("gateway query: " + std::to_string(code) + ", once more");
    code = dialog->QueryDoor();
  }
  if (code != DOOR_OK) plat::get().debugOut("gateway query: " + std::to_string(code));
  dialog->sink.post(code == DOOR_OK ? UPD_DOOR_DONE : UPD_WRITE_DOOR_ERROR, 0);
}

}  // namespace updater
