// The event-driven gateway reply and the door list: both end in Door.DAT.
#include <vector>

#include "plat/bytes.h"

#include "updater/door_file.h"
#include "updater/door_list.h"
#include "updater/module_path.h"
#include "updater/update_dlg.h"

namespace updater {

namespace {

constexpr uint16_t DOOR_EVENT_READ = 1;      // FD_READ
constexpr uint16_t DOOR_EVENT_CONNECT = 16;  // FD_CONNECT
constexpr uint16_t DOOR_EVENT_CLOSE = 32;    // FD_CLOSE

}  // namespace

int CUpdateDlg::WriteDoorList(std::string_view text) {
  std::vector<ServerLineBytes> records;
  if (!parseDoorList(text, records)) return 0;
  return writeDoorFile(ModulePath(DOOR_FILE_NAME), records) ? 1 : 0;
}

int CUpdateDlg::StoreDoorFile(std::span<const uint8_t> bytes) {
  std::vector<ServerLineBytes> records;
  const int code = parseDoorReply(bytes, records);
  if (code != DOOR_STORE_OK) return code;
  if (!writeDoorFile(ModulePath(DOOR_FILE_NAME), records)) return DOOR_STORE_NO_FILE;
  doorLineCount = static_cast<int32_t>(records.size());
  return DOOR_STORE_OK;
}

void CUpdateDlg::OnDoorSocket(uint16_t event, uint16_t error) {
  namespace net = plat::net;
  switch (event) {
    case DOOR_EVENT_CONNECT:
      if (error != 0) {
        ErrorBox("CONNECT_DOOR_ERROR");
        EndFatal();
        return;
      }
      receiveBuffer.assign(DOOR_RECEIVE_SIZE, 0);
      receivedCount = 0;
      return;
    case DOOR_EVENT_READ: {
      if (receiveBuffer.empty()) return;
      size_t got = 0;
      const net::Io r = net::recv(doorSocket, receiveBuffer.data() + receivedCount,
                                  receiveBuffer.size() - receivedCount, got);
      if (r == net::Io::Ok) {
        receivedCount += got;
      } else if (r == net::Io::Error) {
        doorSocket.close();
        receiveBuffer.clear();
        receiveBuffer.shrink_to_fit();
        receivedCount = 0;
        ErrorBox("GET_DOOR_ERROR");
        EndFatal();
      }
      // Would block: the next read event brings it. Closed: the close event follows.
      return;
    }
    case DOOR_EVENT_CLOSE: {
      // A socket already closed after a failed read gets no more events.
      if (!doorSocket.valid() && receiveBuffer.empty()) return;
      doorSocket.close();
      int code = -1;
      if (receivedCount > 4) {
        const int32_t lead = plat::ByteReader(receiveBuffer.data(), 4).i32("count");
        if (static_cast<int64_t>(lead) == static_cast<int64_t>(receivedCount) - 4)
          code = StoreDoorFile(std::span<const uint8_t>(receiveBuffer.data() + 4, receivedCount - 4));
      }
      receiveBuffer.clear();
      receiveBuffer.shrink_to_fit();
      receivedCount = 0;
      if (code == DOOR_STORE_OK) {
        sink.post(UPD_UPDATE_INFO_READY, 0);
        return;
      }
      ErrorBox("GET_DOOR_ERROR");
      EndFatal();
      return;
    }
    default:
      return;
  }
}

}  // namespace updater
