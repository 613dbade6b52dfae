#pragma once
// Connection: one session with the database, used by one thread at a time.
//
// SQLite and PostgreSQL behave the same through it. Statements are written once with
// PostgreSQL-style placeholders ($1, $2, ...); values always travel as bound
// parameters, never inside the statement text. Each distinct text is prepared once
// per connection and reused. Failures raise StoreError.
//
// Parameters are variants: Null, Integer, Double or String (dates as ISO-8601 text,
// see SqlBuilder for the typed placeholders a statement needs on PostgreSQL).
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/text/date_time.h"
#include "platform/variant/variant.h"

namespace server::store {

class AppliedCall;

enum class Backend { SQLite, PostgreSQL };
const char* BackendName(Backend backend) noexcept;

using Params = std::vector<platform::Variant>;

// The current row of a query, valid only inside the row callback.
class Row {
 public:
  virtual ~Row() = default;
  virtual int columnCount() const = 0;
  virtual bool isNull(int col) const = 0;
  // "" when null.
  std::string text(int col) const { return std::string(textView(col)); }
  // The same without a copy, valid until the callback returns.
  virtual std::string_view textView(int col) const = 0;
  // Raise StoreError when the cell is null.
  virtual double real(int col) const = 0;
  virtual std::int64_t integer(int col) const = 0;
  // A date column (ISO-8601 text on SQLite, date on PostgreSQL); nullopt when null.
  std::optional<platform::TDateTime> date(int col) const;
};

using RowCallback = std::function<void(const Row&)>;

// Appends many rows to one table quickly inside the current transaction (prepared
// insert on SQLite, COPY on PostgreSQL). Values in the order of the columns given.
class BulkWriter {
 public:
  virtual ~BulkWriter() = default;
  virtual void add(const Params& values) = 0;
  // Ends the load; errors of the whole load may surface only here.
  virtual void finish() = 0;
};

// Write transactions take the write lock at once (SQLite BEGIN IMMEDIATE), so two
// writers never find out half-way that one of them must give up.
enum class TxMode { Read, Write };

class Connection {
 public:
  virtual ~Connection() = default;

  virtual Backend backend() const noexcept = 0;

  // Runs statements without parameters (schema creation).
  virtual void executeScript(std::string_view sql) = 0;
  // Runs one statement; returns the number of rows it changed.
  virtual std::int64_t execute(std::string_view sql, const Params& params = {}) = 0;
  // Runs one query and calls `onRow` for each row, in order.
  virtual void query(std::string_view sql, const Params& params, const RowCallback& onRow) = 0;
  virtual std::unique_ptr<BulkWriter> bulkWriter(std::string_view table,
                                                 const std::vector<std::string>& columns) = 0;

  virtual void begin(TxMode mode) = 0;
  virtual void commit() = 0;
  virtual void rollback() = 0;

  // A number that changes whenever another connection commits to the database (SQLite's
  // data_version); read inside a transaction, it stands for that transaction's snapshot.
  // Nullopt where the database does not tell.
  virtual std::optional<std::int64_t> commitsSeen() { return std::nullopt; }
  // Begins a write transaction for rows whose foreign keys name only rows the caller read
  // in the snapshot `seen` (commitsSeen()): when no other connection has committed since,
  // none of those rows can be gone, and the transaction's statements skip the lookups of
  // their foreign keys (answers true). Otherwise, and where the database cannot tell, it
  // is a write transaction as any other (false). Every statement of the transaction must
  // keep to that rule; the checks are back when it ends.
  virtual bool beginWriteOfReadReferences(std::int64_t seen) {
    (void)seen;
    begin(TxMode::Write);
    return false;
  }
  virtual bool inTransaction() const noexcept = 0;
  // False once the connection is lost or left in an unknown state; it must be dropped.
  virtual bool usable() const noexcept = 0;
  // Whether another write transaction of this process waits for this one's end (SQLite,
  // writer_queue.h); false where writers do not queue for one lock.
  virtual bool writersWaiting() const noexcept { return false; }

  // The signed-in user the connection works for during the current call, whom its
  // writes name in the history; empty outside a call (schema tools, demo data). The
  // pool empties it when the connection comes back.
  const std::string& caller() const noexcept { return caller_; }
  void setCaller(std::string login) { caller_ = std::move(login); }
  // What the current call's change is based on (platform/net/rpc_frame.h), for the
  // write to check under its locks; Empty when the call states nothing, and outside a
  // call. The pool empties it too.
  const platform::Variant& callCondition() const noexcept { return callCondition_; }
  void setCallCondition(platform::Variant condition) { callCondition_ = std::move(condition); }

  // The call whose writes are applied once (applied_call.h), while one is on the
  // connection; nullptr otherwise. Its transactions (transaction.h) claim its id.
  AppliedCall* appliedCall() const noexcept { return appliedCall_; }
  void setAppliedCall(AppliedCall* call) noexcept { appliedCall_ = call; }

  // Conveniences over query().
  bool exists(std::string_view sql, const Params& params);
  std::optional<std::string> queryText(std::string_view sql, const Params& params);
  std::optional<std::int64_t> queryInteger(std::string_view sql, const Params& params);

 private:
  std::string caller_;
  platform::Variant callCondition_;
  AppliedCall* appliedCall_ = nullptr;
};

}  // namespace server::store
