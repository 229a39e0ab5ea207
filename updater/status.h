// How the updater's workers report: one status code per post, as WM_UPDATE_STATUS carries it.
// The launcher without a window reads them from a queue; the dialog window will be a sink too.
#pragma once
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>
#include <optional>

namespace updater {

constexpr uint32_t WM_UPDATE_STATUS = 1147;
constexpr uint32_t WM_DOOR_SOCKET = 0x8D3;

constexpr uint32_t UPD_GET_DOOR_ERROR = 0x9001;
constexpr uint32_t UPD_WRITE_DOOR_ERROR = 0x9002;
constexpr uint32_t UPD_GET_FTP_ERROR = 0x9004;
constexpr uint32_t UPD_WRITE_FTP_ERROR = 0x9005;
constexpr uint32_t UPD_UPDATE_INFO_READY = 0x9006;
constexpr uint32_t UPD_CONNECT_FTP_ERROR = 0x9007;
constexpr uint32_t UPD_VERSION_DONE = 0x9008;
constexpr uint32_t UPD_DOWN_FTP_ERROR = 0x9009;
constexpr uint32_t UPD_DOWNLOAD_DONE = 0x9010;
constexpr uint32_t UPD_DOOR_DONE = 0x9011;

struct Status {
  uint32_t code = 0;    // wParam
  int32_t lParam = 0;
};

struct IStatusSink {
  virtual ~IStatusSink() = default;
  // Any thread; never blocks for long.
  virtual void post(uint32_t code, int32_t lParam) = 0;
};

// A small queue: workers post, the launcher takes. The lock orders what a worker wrote before its
// post ahead of what the taker reads after it.
class StatusQueue : public IStatusSink {
 public:
  void post(uint32_t code, int32_t lParam) override;
  // Waits for the next status.
  Status take();
  // The next status when one is queued.
  std::optional<Status> tryTake();

 private:
  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<Status> queue_;
};

}  // namespace updater
