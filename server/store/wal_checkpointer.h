#pragma once
// WalCheckpointer: copies a SQLite file's write-ahead log back into the database on a
// thread of its own, so that no call waits for it.
//
// SQLite's own policy runs the checkpoint inside the commit that takes the log past
// 1000 pages, making that caller's reply wait while megabytes are written and synced.
// Here every commit reports the log's size (noteCommit, from the connections' WAL hook)
// and, past kCheckpointBytes (SQLite's 1000 pages of 4 KiB, whatever the file's page
// size), wakes the thread, which runs a passive checkpoint: one that never blocks
// readers or writers. But the log only starts over from the
// beginning (SQLite trimming its file to the connections' journal size limit) when a
// writer begins with every page already copied, which writers that follow each other
// closely never do: so the thread then takes a turn among them (writer_queue.h) to copy
// the few pages added during its first pass, and the writer after that turn starts the
// log over. While readers keep it from copying the whole log, it tries again at the
// next commit or after kRetryInterval.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

#include "server/store/connection.h"
#include "server/store/writer_queue.h"

namespace server::store {

class WalCheckpointer {
 public:
  static constexpr std::int64_t kCheckpointBytes = 1000 * 4096;
  static constexpr std::chrono::milliseconds kRetryInterval{100};

  // Checkpoints through `connection`, a connection of its own to the file whose
  // writers take turns in `writers` (which must outlive the checkpointer).
  WalCheckpointer(std::unique_ptr<Connection> connection, WriterQueue& writers);
  ~WalCheckpointer();
  WalCheckpointer(const WalCheckpointer&) = delete;
  WalCheckpointer& operator=(const WalCheckpointer&) = delete;

  // A commit left `bytes` of pages in the log. Cheap; called on the committing thread.
  void noteCommit(std::int64_t bytes) noexcept;

 private:
  void run();
  // Whether the log was copied whole.
  bool checkpoint();
  bool checkpointInTurn();

  std::unique_ptr<Connection> connection_;
  WriterQueue& writers_;
  std::mutex mutex_;
  std::condition_variable wake_;
  bool pending_ = false;
  bool stopping_ = false;
  std::thread thread_;
};

}  // namespace server::store
