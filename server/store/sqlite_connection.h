#pragma once
// A Connection to a SQLite file: WAL journal, foreign keys enforced, VQR_ROUND3
// registered (price_round.h). Opened in multi-thread mode: one connection per thread at
// a time.
//
// The one exception to the foreign keys is a write of read references
// (beginWriteOfReadReferences) that nobody else committed before: its lookups, two
// B-tree searches for every price a recalculation creates, would find what the caller
// has just read in the same state of the file.
//
// Waiting for the write lock is deliberate. The connections of one store share an
// SQLiteFile: their write transactions take turns in arrival order (writer_queue.h)
// before they ask SQLite for the lock, and the log is checkpointed on a thread of its
// own instead of inside the commit that fills it (wal_checkpointer.h), its file trimmed
// back to kJournalSizeLimit once copied. Against other processes a busy handler polls
// every few milliseconds up to kSQLiteBusyTimeoutMs, so a lock given up is taken up
// within that time, not after one of SQLite's ever longer sleeps. Commits are synced
// (synchronous FULL, SQLite's default): a price the user was told is saved survives a
// power cut.
#include <memory>
#include <string>

#include "server/store/connection.h"
#include "server/store/wal_checkpointer.h"
#include "server/store/writer_queue.h"

namespace server::store {

inline constexpr int kSQLiteBusyTimeoutMs = 30'000;
inline constexpr std::int64_t kJournalSizeLimit = 64 << 20;
// The page size of a file the store creates. Against 4 KiB pages a write of many rows
// puts a quarter of the frames in the log: the commit of a recalculation of 50,000
// prices took 9 ms against 31 ms, its history and price statements 44 and 33 ms
// against 53 and 37 ms.
inline constexpr int kNewFilePageSize = 16384;

// What the connections one store opens to one SQLite file share.
struct SQLiteFile {
  WriterQueue writers;
  std::unique_ptr<WalCheckpointer> checkpointer;  // goes first
};

// The shared part of the file at `path`, its checkpointer on a connection of its own.
// Raises StoreError when the file cannot be opened (or, without `create`, does not exist).
std::shared_ptr<SQLiteFile> OpenSQLiteFile(const std::string& path, bool create);

// A connection of the file's: with `file` its write transactions take turns and its
// commits feed the checkpointer; without, it checkpoints as SQLite does by itself.
// Raises StoreError when the file cannot be opened (or, without `create`, does not exist).
std::unique_ptr<Connection> OpenSQLite(const std::string& path, bool create, std::shared_ptr<SQLiteFile> file = nullptr);

}  // namespace server::store
