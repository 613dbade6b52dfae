#pragma once
// MemoryBudget: the bytes all connections together may hold for the requests they
// receive, buffered (unfinished frames) and decoded (the request a call runs on). A
// frame's own limits bound one connection; the budget bounds their sum, so many
// clients sending large frames at once cannot exhaust the server's memory.
//
// Each connection holds a Share. Its first `freeBytes` are not charged to the
// budget, so small calls are always served, however much large frames hold; what a
// connection holds past them is claimed from the budget beforehand and refused when
// the budget cannot cover it. Replies waiting for their clients to read them are
// charged too (holdBeyond: the bytes exist already), and while the budget is full()
// no call starts (waitUntilNotFull). Thread-safe.
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>

namespace server::rpc {

class MemoryBudget {
 public:
  explicit MemoryBudget(std::size_t capacity) : capacity_(capacity) {}
  MemoryBudget(const MemoryBudget&) = delete;
  MemoryBudget& operator=(const MemoryBudget&) = delete;

  std::size_t capacity() const noexcept { return capacity_; }
  // Bytes claimed by every share together.
  std::size_t claimed() const;
  // Whether the shares claim the whole capacity, or more.
  bool full() const;
  // Waits until the budget is not full; false when it still is after `limit`.
  bool waitUntilNotFull(std::chrono::milliseconds limit) const;

  class Share {
   public:
    Share(MemoryBudget& budget, std::size_t freeBytes) : budget_(budget), freeBytes_(freeBytes) {}
    ~Share() { hold(0); }
    Share(const Share&) = delete;
    Share& operator=(const Share&) = delete;

    // Sets what the connection holds to `bytes`; false, holding what it held, when the
    // budget cannot cover the growth.
    bool hold(std::size_t bytes);
    // Sets what the connection holds to `bytes` already allocated, charged even past
    // the capacity (the budget is then full() until they are released).
    void holdBeyond(std::size_t bytes);
    std::size_t held() const noexcept { return held_; }
    // How many bytes more than it holds the connection could hold now.
    std::size_t room() const;

   private:
    MemoryBudget& budget_;
    const std::size_t freeBytes_;
    std::size_t held_ = 0;
    std::size_t charged_ = 0;
  };

 private:
  bool tryClaim(std::size_t bytes);
  void claim(std::size_t bytes);
  void release(std::size_t bytes);

  const std::size_t capacity_;
  mutable std::mutex mutex_;
  mutable std::condition_variable released_;
  std::size_t claimed_ = 0;
};

}  // namespace server::rpc
