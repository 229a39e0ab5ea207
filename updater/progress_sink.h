// Where a download and the update engine report what they fetch; the launcher dialog shows it.
// Called on the download's own threads (the dialog's workers), never on the dialog's.
#pragma once
#include <cstdint>
#include <string_view>

namespace updater {

class IProgressSink {
 public:
  virtual ~IProgressSink() = default;
  // A patch archive is about to be fetched: the version it brings the client to.
  virtual void OnFetchVersion(std::string_view version) = 0;
  // The file's bytes start to arrive (after a successful start of its download).
  virtual void OnFileStart() = 0;
  // At most every 200 ms while bytes arrive: the file's length, the bytes done so far and the
  // estimated seconds left.
  virtual void OnFileProgress(int32_t fileSize, int32_t bytesDone, int32_t secondsLeft) = 0;
  // The file of `fileSize` bytes is done.
  virtual void OnFileDone(int32_t fileSize) = 0;
};

}  // namespace updater
