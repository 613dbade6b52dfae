#include "server/store/writer_queue.h"

#include <algorithm>

namespace server::store {

bool WriterQueue::enter(std::chrono::milliseconds timeout) {
  std::unique_lock lock(mutex_);
  const std::uint64_t ticket = nextTicket_++;
  waiting_.push_back(ticket);
  const bool mine = turnChanged_.wait_for(lock, timeout, [&] { return !taken_ && waiting_.front() == ticket; });
  if (!mine) {
    waiting_.erase(std::find(waiting_.begin(), waiting_.end(), ticket));
    turnChanged_.notify_all();  // the writer behind may be first now
    return false;
  }
  waiting_.pop_front();
  taken_ = true;
  return true;
}

void WriterQueue::leave() noexcept {
  {
    std::lock_guard lock(mutex_);
    taken_ = false;
  }
  turnChanged_.notify_all();
}

}  // namespace server::store
