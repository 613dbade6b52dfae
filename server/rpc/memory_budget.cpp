#include "server/rpc/memory_budget.h"

namespace server::rpc {

std::size_t MemoryBudget::claimed() const {
  std::lock_guard lock(mutex_);
  return claimed_;
}

bool MemoryBudget::full() const {
  std::lock_guard lock(mutex_);
  return claimed_ >= capacity_;
}

bool MemoryBudget::waitUntilNotFull(std::chrono::milliseconds limit) const {
  std::unique_lock lock(mutex_);
  return released_.wait_for(lock, limit, [&] { return claimed_ < capacity_; });
}

bool MemoryBudget::tryClaim(std::size_t bytes) {
  std::lock_guard lock(mutex_);
  if (claimed_ > capacity_ || bytes > capacity_ - claimed_) return false;
  claimed_ += bytes;
  return true;
}

void MemoryBudget::claim(std::size_t bytes) {
  std::lock_guard lock(mutex_);
  claimed_ += bytes;
}

void MemoryBudget::release(std::size_t bytes) {
  std::lock_guard lock(mutex_);
  claimed_ -= bytes;
  released_.notify_all();
}

bool MemoryBudget::Share::hold(std::size_t bytes) {
  const std::size_t charge = bytes > freeBytes_ ? bytes - freeBytes_ : 0;
  if (charge > charged_ && !budget_.tryClaim(charge - charged_)) return false;
  if (charge < charged_) budget_.release(charged_ - charge);
  charged_ = charge;
  held_ = bytes;
  return true;
}

void MemoryBudget::Share::holdBeyond(std::size_t bytes) {
  const std::size_t charge = bytes > freeBytes_ ? bytes - freeBytes_ : 0;
  if (charge > charged_) budget_.claim(charge - charged_);
  if (charge < charged_) budget_.release(charged_ - charge);
  charged_ = charge;
  held_ = bytes;
}

std::size_t MemoryBudget::Share::room() const {
  const std::size_t claimed = budget_.claimed();
  const std::size_t available = claimed < budget_.capacity() ? budget_.capacity() - claimed : 0;
  const std::size_t ceiling = freeBytes_ + charged_ + available;
  return ceiling > held_ ? ceiling - held_ : 0;
}

}  // namespace server::rpc
