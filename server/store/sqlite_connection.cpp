#include "server/store/sqlite_connection.h"

#include <spdlog/spdlog.h>
#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <thread>
#include <unordered_map>

#include "platform/text/text_fold.h"
#include "server/store/price_round.h"
#include "server/store/sql_builder.h"
#include "server/store/store_error.h"

namespace server::store {
namespace {

StoreError::Kind KindOf(int rc) {
  switch (rc & 0xff) {
    case SQLITE_CONSTRAINT: return StoreError::Kind::Constraint;
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return StoreError::Kind::Transient;
    default: return StoreError::Kind::Other;
  }
}

// Polls for a lock held by another process every few milliseconds, up to the timeout.
int PollBusyLock(void*, int attempts) {
  constexpr int kPollMs = 2;
  if (attempts * kPollMs >= kSQLiteBusyTimeoutMs) return 0;
  std::this_thread::sleep_for(std::chrono::milliseconds(kPollMs));
  return 1;
}

void Round3(sqlite3_context* context, int, sqlite3_value** argv) {
  if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
    sqlite3_result_null(context);
    return;
  }
  try {
    sqlite3_result_double(context, RoundPrice(sqlite3_value_double(argv[0])));
  } catch (const std::exception& e) {
    sqlite3_result_error(context, e.what(), -1);
  }
}

class SQLiteRow final : public Row {
 public:
  explicit SQLiteRow(sqlite3_stmt* stmt) : stmt_(stmt) {}
  int columnCount() const override { return sqlite3_column_count(stmt_); }
  bool isNull(int col) const override { return sqlite3_column_type(stmt_, col) == SQLITE_NULL; }
  std::string_view textView(int col) const override {
    const unsigned char* t = sqlite3_column_text(stmt_, col);
    return t ? std::string_view(reinterpret_cast<const char*>(t), sqlite3_column_bytes(stmt_, col))
             : std::string_view();
  }
  double real(int col) const override {
    requireValue(col);
    return sqlite3_column_double(stmt_, col);
  }
  std::int64_t integer(int col) const override {
    requireValue(col);
    return sqlite3_column_int64(stmt_, col);
  }

 private:
  void requireValue(int col) const {
    if (isNull(col))
      throw StoreError(StoreError::Kind::Other,
                       std::string("Valor nulo na coluna ") + sqlite3_column_name(stmt_, col));
  }
  sqlite3_stmt* stmt_;
};

class SQLiteConnection final : public Connection {
 public:
  SQLiteConnection(const std::string& path, bool create, std::shared_ptr<SQLiteFile> file) : file_(std::move(file)) {
    int flags = SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (create ? SQLITE_OPEN_CREATE : 0);
    int rc = sqlite3_open_v2(path.c_str(), &db_, flags, nullptr);
    if (rc != SQLITE_OK) {
      std::string message = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
      sqlite3_close_v2(db_);
      db_ = nullptr;
      throw StoreError(StoreError::Kind::Connection,
                       "Não foi possível abrir o banco de dados " + path + ": " + message);
    }
    sqlite3_extended_result_codes(db_, 1);
    sqlite3_busy_handler(db_, PollBusyLock, nullptr);
    // A new file takes larger pages than SQLite's 4 KiB; an existing one keeps its own.
    if (create) executeScript("PRAGMA page_size = " + std::to_string(kNewFilePageSize));
    executeScript("PRAGMA journal_mode = WAL; PRAGMA foreign_keys = ON; PRAGMA journal_size_limit = " +
                  std::to_string(kJournalSizeLimit));
    if (file_) {
      pageSize_ = queryInteger("PRAGMA page_size", {}).value_or(0);
      sqlite3_wal_hook(db_, ReportCommit, this);  // replaces the checkpoints inside commits
    }
    rc = sqlite3_create_function_v2(db_, "VQR_ROUND3", 1, SQLITE_UTF8 | SQLITE_DETERMINISTIC,
                                    nullptr, Round3, nullptr, nullptr, nullptr);
    check(rc, "registrar VQR_ROUND3");
    // Collation VQR_FOLDED: names as a person reads a list ("Açougue" before "Armazém").
    rc = sqlite3_create_collation_v2(db_, "VQR_FOLDED", SQLITE_UTF8, nullptr, platform::CompareFoldedCollation,
                                     nullptr);
    check(rc, "registrar VQR_FOLDED");
  }

  ~SQLiteConnection() override {
    for (auto& [sql, stmt] : statements_) sqlite3_finalize(stmt);
    sqlite3_close_v2(db_);  // rolls back a transaction left open
    endTurn();
  }

  Backend backend() const noexcept override { return Backend::SQLite; }

  void executeScript(std::string_view sql) override {
    char* error = nullptr;
    int rc = sqlite3_exec(db_, std::string(sql).c_str(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
      std::string message = error ? error : sqlite3_errstr(rc);
      sqlite3_free(error);
      throw StoreError(KindOf(rc), "Erro no banco de dados: " + message);
    }
  }

  std::int64_t execute(std::string_view sql, const Params& params) override {
    Bound bound(*this, sql, params);
    int rc;
    while ((rc = sqlite3_step(bound.stmt)) == SQLITE_ROW) {
    }
    check(rc, sql);
    return sqlite3_changes64(db_);
  }

  void query(std::string_view sql, const Params& params, const RowCallback& onRow) override {
    Bound bound(*this, sql, params);
    SQLiteRow row(bound.stmt);
    int rc;
    while ((rc = sqlite3_step(bound.stmt)) == SQLITE_ROW) onRow(row);
    check(rc, sql);
  }

  std::unique_ptr<BulkWriter> bulkWriter(std::string_view table,
                                         const std::vector<std::string>& columns) override;

  void begin(TxMode mode) override {
    if (mode == TxMode::Read) return executeScript("BEGIN");
    takeTurn();
    try {
      executeScript("BEGIN IMMEDIATE");
    } catch (...) {
      endTurn();
      throw;
    }
  }

  void commit() override {
    try {
      executeScript("COMMIT");
    } catch (...) {
      // A failed COMMIT can leave the transaction open: end it so nothing half-done stays.
      abandonTransaction();
      throw;
    }
    endTransaction();
  }

  void rollback() override {
    // SQLite may already have rolled back by itself after some errors.
    if (sqlite3_get_autocommit(db_)) return endTransaction();
    try {
      executeScript("ROLLBACK");
    } catch (...) {
      usable_ = false;
      throw;
    }
    endTransaction();
  }

  std::optional<std::int64_t> commitsSeen() override { return queryInteger("PRAGMA data_version", {}); }

  // SQLite takes the foreign keys' setting only outside a transaction: it is turned off
  // before the lock is taken, and when another connection turns out to have committed
  // meanwhile the transaction begins again with the checks on, keeping its writer's turn.
  bool beginWriteOfReadReferences(std::int64_t seen) override {
    executeScript("PRAGMA foreign_keys = OFF");
    foreignKeysOff_ = true;
    try {
      begin(TxMode::Write);
      if (*commitsSeen() == seen) return true;
      executeScript("ROLLBACK");
      turnForeignKeysOn();
      executeScript("BEGIN IMMEDIATE");
      return false;
    } catch (...) {
      abandonTransaction();
      throw;
    }
  }

  static int ReportCommit(void* connection, sqlite3*, const char*, int pages) {
    auto* self = static_cast<SQLiteConnection*>(connection);
    self->file_->checkpointer->noteCommit(pages * self->pageSize_);
    return SQLITE_OK;
  }

  bool inTransaction() const noexcept override { return !sqlite3_get_autocommit(db_); }
  bool usable() const noexcept override { return usable_; }
  bool writersWaiting() const noexcept override { return file_ && file_->writers.waited(); }

  // A prepared statement with its parameters bound, reset when the scope ends.
  struct Bound {
    Bound(SQLiteConnection& c, std::string_view sql, const Params& params) : stmt(c.prepare(sql)) {
      c.bind(stmt, params, sql);
    }
    ~Bound() {
      sqlite3_reset(stmt);
      sqlite3_clear_bindings(stmt);
    }
    sqlite3_stmt* stmt;
  };

  sqlite3_stmt* prepare(std::string_view sql) {
    auto found = statements_.find(std::string(sql));
    if (found != statements_.end()) {
      if (sqlite3_stmt_busy(found->second))
        throw StoreError(StoreError::Kind::Other,
                         "Instrução já em execução nesta conexão: " + std::string(sql.substr(0, 120)));
      return found->second;
    }
    sqlite3_stmt* stmt = prepareUncached(sql);
    if (statements_.size() >= kMaxCachedStatements) evictIdleStatements();
    statements_.emplace(std::string(sql), stmt);
    return stmt;
  }

  // A statement outside the cache, for its caller to finalize.
  sqlite3_stmt* prepareUncached(std::string_view sql) {
    std::string text = ToSQLitePlaceholders(sql);
    sqlite3_stmt* stmt = nullptr;
    check(sqlite3_prepare_v3(db_, text.c_str(), static_cast<int>(text.size()), SQLITE_PREPARE_PERSISTENT, &stmt, nullptr),
          sql);
    return stmt;
  }

  void evictIdleStatements() {
    for (auto it = statements_.begin(); it != statements_.end();) {
      if (sqlite3_stmt_busy(it->second)) {
        ++it;
      } else {
        sqlite3_finalize(it->second);
        it = statements_.erase(it);
      }
    }
  }

  void bind(sqlite3_stmt* stmt, const Params& params, std::string_view sql) {
    if (static_cast<int>(params.size()) != sqlite3_bind_parameter_count(stmt))
      throw StoreError(StoreError::Kind::Other,
                       "Número de parâmetros não confere com a instrução: " + std::string(sql));
    bindFrom(stmt, params.data(), params.size(), sql);
  }

  // Binds `count` values to the parameters from the first on; their texts must outlive
  // the statement's step.
  void bindFrom(sqlite3_stmt* stmt, const platform::Variant* values, std::size_t count, std::string_view sql) {
    using K = platform::Variant::Kind;
    for (std::size_t i = 0; i < count; ++i) {
      const platform::Variant& v = values[i];
      int index = 1 + static_cast<int>(i);
      int rc = SQLITE_OK;
      switch (v.kind()) {
        case K::Empty:
        case K::Null: rc = sqlite3_bind_null(stmt, index); break;
        case K::Bool: rc = sqlite3_bind_int(stmt, index, v.asBool() ? 1 : 0); break;
        case K::Integer: rc = sqlite3_bind_int64(stmt, index, v.asInteger()); break;
        case K::Double: rc = sqlite3_bind_double(stmt, index, v.asDouble()); break;
        case K::String:
          rc = sqlite3_bind_text64(stmt, index, v.asString().data(), v.asString().size(), SQLITE_STATIC,
                                   SQLITE_UTF8);
          break;
        case K::DateTime: {
          std::string iso = platform::DateTimeToISO(v.asDateTime());
          rc = sqlite3_bind_text64(stmt, index, iso.data(), iso.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
          break;
        }
        case K::Array:
        case K::Packet:
          throw StoreError(StoreError::Kind::Other, "Parâmetro de tipo não suportado pelo banco de dados");
      }
      check(rc, sql);
    }
  }

  // The turn of this connection's write transaction among the file's writers.
  void takeTurn() {
    if (!file_) return;
    if (!file_->writers.enter(std::chrono::milliseconds(kSQLiteBusyTimeoutMs)))
      throw StoreError(StoreError::Kind::Transient, "Erro no banco de dados: outras gravações ocupam o banco de dados há " +
                                                        std::to_string(kSQLiteBusyTimeoutMs / 1000) + " s");
    inTurn_ = true;
  }
  void endTurn() noexcept {
    if (!inTurn_) return;
    inTurn_ = false;
    file_->writers.leave();
  }

  // After a transaction: the writers' turn given up and the foreign keys checked again. A
  // connection whose checks cannot be turned back on is dropped.
  void endTransaction() noexcept {
    endTurn();
    if (!foreignKeysOff_) return;
    try {
      turnForeignKeysOn();
    } catch (const std::exception& e) {
      spdlog::error("Conexão descartada: as chaves estrangeiras não voltaram a ser verificadas ({})", e.what());
      usable_ = false;
    }
  }
  // After a failure: the transaction rolled back if still open, whatever that answers,
  // and ended.
  void abandonTransaction() noexcept {
    if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
    endTransaction();
  }
  void turnForeignKeysOn() {
    executeScript("PRAGMA foreign_keys = ON");
    foreignKeysOff_ = false;
  }

  void check(int rc, std::string_view what) {
    if (rc == SQLITE_OK || rc == SQLITE_DONE || rc == SQLITE_ROW) return;
    throw StoreError(KindOf(rc), "Erro no banco de dados: " + std::string(sqlite3_errmsg(db_)) +
                                     " [" + std::string(what.substr(0, 120)) + "]");
  }

 private:
  static constexpr std::size_t kMaxCachedStatements = 256;

  std::shared_ptr<SQLiteFile> file_;  // outlives db_
  sqlite3* db_ = nullptr;
  std::unordered_map<std::string, sqlite3_stmt*> statements_;
  bool usable_ = true;
  bool inTurn_ = false;
  bool foreignKeysOff_ = false;
  std::int64_t pageSize_ = 0;
};

// Rows gathered into multi-row inserts of its own: one statement per rowsPerInsert_
// rows costs far less than one per row. The rows left when the load finishes go one by
// one.
class SQLiteBulkWriter final : public BulkWriter {
 public:
  SQLiteBulkWriter(SQLiteConnection& connection, std::string_view table, const std::vector<std::string>& columns)
      : connection_(connection),
        columns_(std::max<std::size_t>(1, columns.size())),
        rowsPerInsert_(std::max<std::size_t>(1, kParamsPerInsert / columns_)),
        many_(Insert(table, columns, rowsPerInsert_), connection),
        one_(Insert(table, columns, 1), connection) {
    pending_.reserve(rowsPerInsert_ * columns_);
  }
  SQLiteBulkWriter(const SQLiteBulkWriter&) = delete;
  SQLiteBulkWriter& operator=(const SQLiteBulkWriter&) = delete;

  void add(const Params& values) override {
    if (values.size() != columns_)
      throw StoreError(StoreError::Kind::Other, "Número de valores não confere com as colunas da carga: " + one_.sql);
    pending_.insert(pending_.end(), values.begin(), values.end());
    if (pending_.size() < rowsPerInsert_ * columns_) return;
    run(many_, pending_.data(), pending_.size());
    pending_.clear();
  }

  void finish() override {
    for (std::size_t first = 0; first < pending_.size(); first += columns_) run(one_, pending_.data() + first, columns_);
    pending_.clear();
  }

 private:
  static constexpr std::size_t kParamsPerInsert = 999;

  struct Statement {
    Statement(std::string text, SQLiteConnection& c) : sql(std::move(text)), stmt(c.prepareUncached(sql)) {}
    ~Statement() { sqlite3_finalize(stmt); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    std::string sql;
    sqlite3_stmt* stmt;
  };

  static std::string Insert(std::string_view table, const std::vector<std::string>& columns, std::size_t rows) {
    std::string names;
    for (std::size_t i = 0; i < columns.size(); ++i) names += (i ? ", " : "") + columns[i];
    std::string sql = "INSERT INTO " + std::string(table) + " (" + names + ") VALUES ";
    for (std::size_t r = 0; r < rows; ++r) {
      sql += r ? ", (" : "(";
      for (std::size_t i = 0; i < columns.size(); ++i) sql += (i ? ", $" : "$") + std::to_string(r * columns.size() + i + 1);
      sql += ")";
    }
    return sql;
  }

  void run(Statement& statement, const platform::Variant* values, std::size_t count) {
    connection_.bindFrom(statement.stmt, values, count, statement.sql);
    const int rc = sqlite3_step(statement.stmt);
    sqlite3_reset(statement.stmt);
    connection_.check(rc, statement.sql);
  }

  SQLiteConnection& connection_;
  std::size_t columns_;
  std::size_t rowsPerInsert_;
  Statement many_;
  Statement one_;
  std::vector<platform::Variant> pending_;  // the values of the rows not yet inserted
};

std::unique_ptr<BulkWriter> SQLiteConnection::bulkWriter(std::string_view table,
                                                         const std::vector<std::string>& columns) {
  return std::make_unique<SQLiteBulkWriter>(*this, table, columns);
}

}  // namespace

std::shared_ptr<SQLiteFile> OpenSQLiteFile(const std::string& path, bool create) {
  auto file = std::make_shared<SQLiteFile>();
  file->checkpointer = std::make_unique<WalCheckpointer>(OpenSQLite(path, create), file->writers);
  return file;
}

std::unique_ptr<Connection> OpenSQLite(const std::string& path, bool create, std::shared_ptr<SQLiteFile> file) {
  return std::make_unique<SQLiteConnection>(path, create, std::move(file));
}

}  // namespace server::store
