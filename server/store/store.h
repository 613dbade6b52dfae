#pragma once
// Store: the database the server works on, named by a target: a file path (SQLite) or
// a postgresql:// URL (PostgreSQL). It opens connections and keeps a pool of them so
// that each call running at the same time has a connection of its own.
//
//   auto store = Store::Open("var/demo.db", Store::Mode::Existing);
//   Store::Lease conn = store->lease();     // back to the pool when it goes out of scope
//   conn->query(...);
//
// A connection that was lost, or is still inside a transaction when returned, is
// dropped instead of pooled; the next lease opens a fresh one.
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "server/store/connection.h"

namespace server::store {

struct SQLiteFile;

class Store {
 public:
  // Existing: the SQLite file must already exist. Create: SQLite may create it.
  enum class Mode { Existing, Create };

  // Raises StoreError when the database cannot be reached.
  static std::unique_ptr<Store> Open(const std::string& target, Mode mode = Mode::Existing);
  static bool IsPostgreSQLUrl(std::string_view target) noexcept;

  Backend backend() const noexcept { return backend_; }
  // The target without any password, fit for a log line.
  std::string describe() const;

  // A new connection of its own, outside the pool.
  std::unique_ptr<Connection> connect() const;

  class Lease {
   public:
    Lease(Store& store, std::unique_ptr<Connection> connection);
    Lease(Lease&&) noexcept = default;
    ~Lease();
    Connection& operator*() const noexcept { return *connection_; }
    Connection* operator->() const noexcept { return connection_.get(); }

   private:
    Store* store_;
    std::unique_ptr<Connection> connection_;
  };
  Lease lease();

 private:
  Store(Backend backend, std::string target, Mode mode);
  void giveBack(std::unique_ptr<Connection> connection);

  static constexpr std::size_t kMaxIdle = 32;

  Backend backend_;
  std::string target_;
  Mode mode_;
  std::shared_ptr<SQLiteFile> sqliteFile_;  // what its connections to a SQLite file share
  std::mutex mutex_;
  std::vector<std::unique_ptr<Connection>> idle_;
};

}  // namespace server::store
