#include "server/rpc/memory_budget.h"

namespace server::rpc {

std::size_t MemoryBudget::claimed() const {
  std::lock_guard lock(mutex_);
  return claimed_;
}

bool MemoryBudget::tryClaim(std::size_t bytes) {
  std::lock_guard lock(mutex_);
  if (bytes > capacity_ - claimed_) return false;
  claimed_ += bytes;
  return true;
}

void MemoryBudget::release(std::size_t bytes) {
  std::lock_guard lock(mutex_);
  claimed_ -= bytes;
}

bool MemoryBudget::Share::hold(std::size_t bytes) {
  const std::size_t charge = bytes > freeBytes_ ? bytes - freeBytes_ : 0;
  if (charge > charged_ && !budget_.tryClaim(charge - charged_)) return false;
  if (charge < charged_) budget_.release(charged_ - charge);
  charged_ = charge;
  held_ = bytes;
  return true;
}

std::size_t MemoryBudget::Share::room() const {
  const std::size_t available = budget_.capacity() - budget_.claimed();
  const std::size_t ceiling = freeBytes_ + charged_ + available;
  return ceiling > held_ ? ceiling - held_ : 0;
}

}  // namespace server::rpc
