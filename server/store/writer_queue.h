#pragma once
// WriterQueue: the turns of one process's write transactions on one SQLite file, taken
// in the order the writers arrive.
//
// SQLite lets one writer in at a time and makes the others poll for the lock, sleeping
// between attempts; a writer that keeps missing the moment can wait far longer than the
// writers ahead of it took. Taking turns here first, each writer waits for exactly the
// writers that came before it, and the lock is free when its turn comes (other
// processes still meet the busy handler). Each waiter sleeps on a signal of its own:
// the end of a turn wakes the next writer alone, not every writer in line.
//
//   if (!queue.enter(timeout)) ... give up: busy;
//   ... the write transaction ...
//   queue.leave();
#include <chrono>
#include <condition_variable>
#include <list>
#include <mutex>

namespace server::store {

class WriterQueue {
 public:
  // Waits for the caller's turn; false (and out of the queue) when it has not come
  // within `timeout`.
  bool enter(std::chrono::milliseconds timeout);
  // Ends the current turn; the next writer in line goes on.
  void leave() noexcept;
  // Whether some writer waits for its turn.
  bool waited() noexcept;

 private:
  struct Waiter {
    std::condition_variable turnCame;
  };
  // Wakes the first writer in line, when the turn is free.
  void wakeFirst();

  std::mutex mutex_;
  std::list<Waiter> waiting_;  // in arrival order
  bool taken_ = false;
};

}  // namespace server::store
