#include "server/store/writer_queue.h"

namespace server::store {

bool WriterQueue::enter(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  auto mine = waiting_.emplace(waiting_.end());
  const bool turn = mine->turnCame.wait_for(lock, timeout, [&] { return !taken_ && waiting_.begin() == mine; });
  waiting_.erase(mine);
  if (!turn) {
    wakeFirst();  // the writer behind may be first now
    return false;
  }
  taken_ = true;
  return true;
}

void WriterQueue::leave() noexcept {
  std::lock_guard lock(mutex_);
  taken_ = false;
  wakeFirst();
}

bool WriterQueue::waited() noexcept {
  std::lock_guard lock(mutex_);
  return !waiting_.empty();
}

void WriterQueue::wakeFirst() {
  if (!taken_ && !waiting_.empty()) waiting_.front().turnCame.notify_one();
}

}  // namespace server::store
