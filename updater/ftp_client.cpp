// The FTP client: control connection, login, active-mode transfer of one file.
#include "updater/ftp_client.h"

#include <algorithm>
#include <cstdio>

#include "plat/files.h"
#include "plat/platform.h"
#include "updater/launcher_config.h"

namespace updater {

namespace net = plat::net;

namespace {

std::string cut(std::string_view text) { return std::string(text.substr(0, FTP_TEXT_MAX)); }

// A text that goes into a command: a control byte would end the line early or add another.
bool plainText(std::string_view text) {
  return std::none_of(text.begin(), text.end(), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return b < 0x20 || b == 0x7F;
  });
}

// The whole line, however the non-blocking socket takes it. A command that does not go out
// shows as a failed reply read.
void sendAll(net::Socket& s, const std::string& line, const Timing& timing) {
  size_t sent = 0;
  int waits = 0;
  while (sent < line.size() && waits < FTP_REPLY_ROUNDS) {
    size_t done = 0;
    const net::Io r = net::send(s, line.data() + sent, line.size() - sent, done);
    if (r == net::Io::Ok) {
      sent += done;
    } else if (r == net::Io::WouldBlock) {
      plat::get().clock().sleepMs(timing.ftpReplyWaitMs);
      ++waits;
    } else {
      return;
    }
  }
}

}  // namespace

CFtpClient::CFtpClient(const Timing& timing) : timing_(timing) {}

CFtpClient::~CFtpClient() { Close(); }

void CFtpClient::Close() {
  data_.close();
  listener_.close();
  control_.close();
}

int CFtpClient::Download(std::string_view server, std::string_view directory, std::string_view user,
                         std::string_view password, std::string_view remoteName, plat::File& file) {
  Close();
  directory_ = cut(directory);
  user_ = cut(user);
  password_ = cut(password);
  remoteName_ = cut(remoteName);
  serverIp_ = net::inetAddr(cut(server));
  receiveBuffer_.assign(FTP_RECEIVE_BUFFER, 0);
  resumeOffset_ = 0;
  transferFailed_ = false;

  int result = connectControl();
  if (result == FTP_OK) result = login();
  if (result == FTP_OK) result = transfer(file);
  plat::get().debugOut("ftp: " + remoteName_ + " -> " + std::to_string(result));
  return result;
}

int CFtpClient::connectControl() {
  control_ = net::tcpSocket();
  if (!control_.valid()) return FTP_NO_CONTROL_SOCKET;
  const uint32_t port = launcherConfig().ftpPort;
  if (serverIp_ == 0xFFFFFFFFu || port == 0 || port > 0xFFFF) return FTP_NO_CONNECTION;
  if (!net::connect(control_, serverIp_, static_cast<uint16_t>(port), plat::environment().netConnectTimeoutMs))
    return FTP_NO_CONNECTION;
  const auto own = net::local(control_);
  ownIp_ = own ? own->ipv4 : 0;
  reply_ = ReadFtpReply(control_, timing_);  // the greeting, whatever it says
  return FTP_OK;
}

int CFtpClient::command(const std::string& line) {
  sendAll(control_, line, timing_);
  reply_ = ReadFtpReply(control_, timing_);
  return reply_.code;
}

int CFtpClient::login() {
  if (!plainText(user_) || command("user " + user_ + "\r\n") != 331) return FTP_USER_REFUSED;
  if (!plainText(password_) || command("pass " + password_ + "\r\n") != 230) return FTP_PASS_REFUSED;
  if (!plainText(directory_) || command("cwd " + directory_ + "\r\n") != 250) return FTP_CWD_REFUSED;
  return FTP_OK;
}

int CFtpClient::transfer(plat::File& file) {
  if (command("type i\r\n") != 200) {
    transferFailed_ = true;
    return FTP_TYPE_REFUSED;
  }
  listener_ = net::listen(net::formatIpv4(ownIp_), 0, 1);
  const auto bound = net::local(listener_);
  if (!listener_.valid() || !bound) return FTP_NO_DATA_SOCKET;

  // The address's bytes as they sit in network order, then the port's high and low byte.
  char port[80];
  std::snprintf(port, sizeof port, "PORT %u,%u,%u,%u,%u,%u\r\n", ownIp_ & 0xFFu, (ownIp_ >> 8) & 0xFFu,
                (ownIp_ >> 16) & 0xFFu, ownIp_ >> 24, unsigned(bound->port >> 8), unsigned(bound->port & 0xFFu));
  if (command(port) != 200) return FTP_PORT_REFUSED;
  if (command("rest " + std::to_string(resumeOffset_) + "\r\n") != 350) return FTP_REST_REFUSED;
  if (!plainText(remoteName_)) return FTP_RETR_REFUSED;
  const int code = command("retr " + remoteName_ + "\r\n");
  if (code != 150 && code != 125) return FTP_RETR_REFUSED;

  int64_t size = 0;
  const int parsed = ParseRetrSize(reply_.text, size);
  if (parsed != FTP_OK) return parsed;
  const int accepted = acceptData();
  if (accepted != FTP_OK) return accepted;
  return receiveData(file, size);
}

// The server usually connects before it answers "retr"; each attempt still gives it a moment.
// No connection after the attempts leaves the data socket closed, and the receive then fails.
int CFtpClient::acceptData() {
  for (int attempt = 0; attempt < FTP_ACCEPT_ATTEMPTS; ++attempt) {
    net::WaitEntry entry{&listener_};
    if (net::wait({&entry, 1}, static_cast<int>(timing_.ftpAcceptWaitMs)) < 0) return FTP_ACCEPT_FAILED;
    data_ = net::accept(listener_);
    if (data_.valid()) return FTP_OK;
  }
  return FTP_OK;
}

int CFtpClient::receiveData(plat::File& file, int64_t size) {
  int64_t written = 0;
  for (int round = 0; round < FTP_DATA_ROUNDS; ++round) {
    size_t got = 0;
    const net::Io r = net::recv(data_, receiveBuffer_.data(), receiveBuffer_.size(), got);
    if (r == net::Io::Ok) {
      // Never past the announced size: whatever follows it is not the file's.
      const size_t take = static_cast<size_t>(std::min<int64_t>(static_cast<int64_t>(got), size - written));
      // A file that takes less than it is given is as short as a connection that ended early.
      if (take > 0 && file.write(receiveBuffer_.data(), take) != take) return FTP_DATA_SHORT;
      written += static_cast<int64_t>(take);
      if (written >= size) return FTP_OK;
    } else if (r == net::Io::Closed) {
      break;
    } else if (r == net::Io::Error) {
      return FTP_RECEIVE_FAILED;
    }
    plat::get().clock().sleepMs(timing_.ftpDataRoundMs);
  }
  return written >= size ? FTP_OK : FTP_DATA_SHORT;
}

}  // namespace updater
