// The launcher: the server list, the gateway query and the result that the start road acts on
// (1 start the client, 2 end, 10 after a fatal error).
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "plat/sockets.h"
#include "updater/server_entry.h"
#include "updater/status.h"
#include "updater/timing.h"

namespace updater {

constexpr int UPDATE_END_START = 1;   // start the client
constexpr int UPDATE_END_QUIT = 2;    // end without a client
constexpr int UPDATE_END_FATAL = 10;  // after a fatal error: box, download page, end

constexpr size_t DOOR_RECEIVE_SIZE = 86048;  // receive buffer of the event-driven gateway reply
constexpr int DOOR_LINE_MAX = 100;

class CUpdateDlg {
 public:
  // Workers post to the dialog's own queue, which the run reads.
  CUpdateDlg();
  // Workers post to `sink` (tests record the posts).
  explicit CUpdateDlg(IStatusSink& sink);

  // ---- server list ----
  // The six built-in entries with their addresses, names and update addresses; count 6.
  void SetBuiltinServers();
  // Refills the entries from "server.cfg" in the game folder; 0, or -1 when the file cannot be
  // read (entries read so far stay, the count is unchanged).
  int ReadServerList();
  // The entry whose id equals `id`, else the first; copied whole into the chosen entry, its update
  // address made the current one. False when the list is empty.
  bool ChooseServer(int32_t id);

  // ---- gateway query (blocking form; on the worker thread) ----
  // 0, or the code of the failing check.
  int QueryDoor();

  // ---- door list and the event-driven reply ----
  // Converts a door list text into Door.DAT; 1 when the file was written, else 0.
  int WriteDoorList(std::string_view text);
  // WM_DOOR_SOCKET: event 16 connect, 1 read, 32 close; error is the high word of lParam.
  void OnDoorSocket(uint16_t event, uint16_t error);
  // The event-driven reply after its leading count; writes Door.DAT. 0 or a code.
  int StoreDoorFile(std::span<const uint8_t> bytes);

  // ---- the run ----
  // Runs the launcher to its end code (1, 2 or 10).
  int DoModal();
  // The error box of a key: its text under the caption, the error icon.
  void ErrorBox(std::string_view key);
  // The fatal end after its box: the download page opened, end code 10.
  void EndFatal();
  int endCode() const { return endCode_; }

  // ---- data ----
  std::array<SERVER_ENTRY, SERVER_ENTRY_MAX> servers{};
  int32_t serverCount = 0;
  int32_t chosenIndex = 0;
  std::array<std::string, SERVER_ENTRY_MAX> updateAddrs;  // each entry's version file URL
  std::string currentUpdateAddr;

  std::string doorListText;  // nothing fills it

  // The event-driven gateway reply.
  plat::net::Socket doorSocket;
  std::vector<uint8_t> receiveBuffer;  // DOOR_RECEIVE_SIZE bytes while a reply is read
  size_t receivedCount = 0;
  int32_t doorLineCount = 0;

  Timing timing;
  StatusQueue statusQueue;
  IStatusSink& sink;

 private:
  int endCode_ = 0;
};

// The gateway query's worker: runs QueryDoor, once more after a failure, then posts
// UPD_DOOR_DONE or UPD_WRITE_DOOR_ERROR (lParam 0) to the dialog's sink. Its starter joins it.
void DoorQueryThread(CUpdateDlg* dialog);

}  // namespace updater
