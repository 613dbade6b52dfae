#pragma once
// SoleServerLock: whether this process is the only appserver serving a SQLite file.
// A batch a large write left unfinished (modules/unfinished_batches.h) may be taken back
// at start only then: with another server live on the file, the batch may be its write
// still under way. The lock is an advisory lock on a file beside the database, held for
// the process's life; the system releases it when the process ends, however it ends.
#include <string>

namespace server {

class SoleServerLock {
 public:
  // Tries to take the lock of the database file `database`.
  explicit SoleServerLock(const std::string& database);
  ~SoleServerLock();
  SoleServerLock(const SoleServerLock&) = delete;
  SoleServerLock& operator=(const SoleServerLock&) = delete;

  // Whether no other appserver holds the file.
  bool sole() const noexcept { return sole_; }

 private:
  int fd_ = -1;
  bool sole_ = false;
};

}  // namespace server
