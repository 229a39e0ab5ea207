#include "updater/status.h"

namespace updater {

void StatusQueue::post(uint32_t code, int32_t lParam) {
  // Notify under the lock: once the taker sees the status it may destroy the queue.
  std::lock_guard lock(mutex_);
  queue_.push_back(Status{code, lParam});
  ready_.notify_all();
}

Status StatusQueue::take() {
  std::unique_lock lock(mutex_);
  ready_.wait(lock, [this] { return !queue_.empty(); });
  Status s = queue_.front();
  queue_.pop_front();
  return s;
}

std::optional<Status> StatusQueue::tryTake() {
  std::lock_guard lock(mutex_);
  if (queue_.empty()) return std::nullopt;
  Status s = queue_.front();
  queue_.pop_front();
  return s;
}

}  // namespace updater
