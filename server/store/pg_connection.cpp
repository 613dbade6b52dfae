#include "server/store/pg_connection.h"

#include <libpq-fe.h>

#include <charconv>
#include <cstdlib>
#include <unordered_map>

#include "platform/text/ascii_text.h"
#include "server/store/store_error.h"

namespace server::store {
namespace {

// The SQLSTATE classes this code reacts to.
StoreError::Kind KindOfState(const char* state) {
  std::string_view s = state ? state : "";
  if (s.starts_with("23")) return StoreError::Kind::Constraint;
  if (s == "40001" || s == "40P01" || s == "55P03") return StoreError::Kind::Transient;
  if (s.starts_with("08") || s.starts_with("57P")) return StoreError::Kind::Connection;
  return StoreError::Kind::Other;
}

std::string DoubleText(double value) {
  char buffer[32];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, value);
  return std::string(buffer, end);
}

// A parameter as libpq's text format wants it; nullopt for NULL.
std::optional<std::string> ParamText(const platform::Variant& v) {
  using K = platform::Variant::Kind;
  switch (v.kind()) {
    case K::Empty:
    case K::Null: return std::nullopt;
    case K::Bool: return std::string(v.asBool() ? "1" : "0");
    case K::Integer: return std::to_string(v.asInteger());
    case K::Double: return DoubleText(v.asDouble());
    case K::String: return v.asString();
    case K::DateTime: return platform::DateTimeToISO(v.asDateTime());
    case K::Array:
    case K::Packet: break;
  }
  throw StoreError(StoreError::Kind::Other, "Parâmetro de tipo não suportado pelo banco de dados");
}

struct ResultDeleter {
  void operator()(PGresult* r) const { PQclear(r); }
};
using Result = std::unique_ptr<PGresult, ResultDeleter>;

class PgRow final : public Row {
 public:
  PgRow(PGresult* result, int row) : result_(result), row_(row) {}
  void moveTo(int row) { row_ = row; }
  int columnCount() const override { return PQnfields(result_); }
  bool isNull(int col) const override { return PQgetisnull(result_, row_, col) != 0; }
  std::string_view textView(int col) const override {
    return std::string_view(PQgetvalue(result_, row_, col), PQgetlength(result_, row_, col));
  }
  double real(int col) const override {
    requireValue(col);
    return std::strtod(PQgetvalue(result_, row_, col), nullptr);
  }
  std::int64_t integer(int col) const override {
    requireValue(col);
    return std::strtoll(PQgetvalue(result_, row_, col), nullptr, 10);
  }

 private:
  void requireValue(int col) const {
    if (isNull(col))
      throw StoreError(StoreError::Kind::Other, std::string("Valor nulo na coluna ") + PQfname(result_, col));
  }
  PGresult* result_;
  int row_;
};

class PgConnection final : public Connection {
 public:
  explicit PgConnection(const std::string& url) : conn_(PQconnectdb(url.c_str())) {
    if (!conn_ || PQstatus(conn_) != CONNECTION_OK) {
      const std::string message(conn_ ? platform::TrimBlanks(PQerrorMessage(conn_)) : "sem memória");
      PQfinish(conn_);
      conn_ = nullptr;
      throw StoreError(StoreError::Kind::Connection,
                       "Não foi possível conectar ao PostgreSQL: " + message);
    }
    executeScript(
        "SET client_min_messages = warning; SET extra_float_digits = 3; "
        "SET DateStyle = 'ISO, DMY'; SET client_encoding = 'UTF8'");
  }

  ~PgConnection() override { PQfinish(conn_); }

  Backend backend() const noexcept override { return Backend::PostgreSQL; }

  void executeScript(std::string_view sql) override {
    Result result(PQexec(conn_, std::string(sql).c_str()));
    check(result.get(), sql);
  }

  std::int64_t execute(std::string_view sql, const Params& params) override {
    Result result = run(sql, params);
    const char* count = PQcmdTuples(result.get());
    return count && *count ? std::strtoll(count, nullptr, 10) : 0;
  }

  void query(std::string_view sql, const Params& params, const RowCallback& onRow) override {
    Result result = run(sql, params);
    PgRow row(result.get(), 0);
    int rows = PQntuples(result.get());
    for (int i = 0; i < rows; ++i) {
      row.moveTo(i);
      onRow(row);
    }
  }

  std::unique_ptr<BulkWriter> bulkWriter(std::string_view table,
                                         const std::vector<std::string>& columns) override;

  void begin(TxMode) override {
    executeScript("BEGIN");
    inTransaction_ = true;
  }

  void commit() override {
    inTransaction_ = false;  // COMMIT ends the transaction even when it fails
    executeScript("COMMIT");
  }

  void rollback() override {
    if (!inTransaction_) return;
    inTransaction_ = false;
    try {
      executeScript("ROLLBACK");
    } catch (...) {
      broken_ = true;
      throw;
    }
  }

  bool inTransaction() const noexcept override { return inTransaction_; }
  bool usable() const noexcept override { return !broken_ && PQstatus(conn_) == CONNECTION_OK; }

  PGconn* raw() const noexcept { return conn_; }

  void check(PGresult* result, std::string_view what) {
    ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
    if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK || status == PGRES_COPY_IN) return;
    StoreError::Kind kind = result ? KindOfState(PQresultErrorField(result, PG_DIAG_SQLSTATE))
                                   : StoreError::Kind::Connection;
    if (PQstatus(conn_) != CONNECTION_OK) kind = StoreError::Kind::Connection;
    const std::string message(platform::TrimBlanks(result ? PQresultErrorMessage(result) : PQerrorMessage(conn_)));
    throw StoreError(kind, "Erro no banco de dados: " + message + " [" +
                               std::string(what.substr(0, 120)) + "]");
  }

 private:
  static constexpr std::size_t kMaxCachedStatements = 256;

  const std::string& prepare(std::string_view sql) {
    auto found = statements_.find(std::string(sql));
    if (found != statements_.end()) return found->second;
    if (statements_.size() >= kMaxCachedStatements) {
      executeScript("DEALLOCATE ALL");
      statements_.clear();
    }
    std::string name = "s" + std::to_string(++statementCounter_);
    Result result(PQprepare(conn_, name.c_str(), std::string(sql).c_str(), 0, nullptr));
    check(result.get(), sql);
    return statements_.emplace(std::string(sql), std::move(name)).first->second;
  }

  Result run(std::string_view sql, const Params& params) {
    const std::string& name = prepare(sql);
    std::vector<std::optional<std::string>> texts;
    texts.reserve(params.size());
    for (const auto& p : params) texts.push_back(ParamText(p));
    std::vector<const char*> values;
    values.reserve(texts.size());
    for (const auto& t : texts) values.push_back(t ? t->c_str() : nullptr);
    Result result(PQexecPrepared(conn_, name.c_str(), static_cast<int>(values.size()),
                                 values.data(), nullptr, nullptr, 0));
    check(result.get(), sql);
    return result;
  }

  PGconn* conn_;
  std::unordered_map<std::string, std::string> statements_;
  std::uint64_t statementCounter_ = 0;
  bool inTransaction_ = false;
  bool broken_ = false;
};

// COPY ... FROM STDIN in text format: values escaped, rows sent in large chunks.
class PgBulkWriter final : public BulkWriter {
 public:
  PgBulkWriter(PgConnection& connection, const std::string& copySql) : connection_(connection) {
    Result result(PQexec(connection_.raw(), copySql.c_str()));
    connection_.check(result.get(), copySql);
  }

  ~PgBulkWriter() override {
    if (!finished_) PQputCopyEnd(connection_.raw(), "carga interrompida");
    if (!finished_) drainResults();
  }

  void add(const Params& values) override {
    for (std::size_t i = 0; i < values.size(); ++i) {
      if (i) buffer_ += '\t';
      auto text = ParamText(values[i]);
      if (!text) {
        buffer_ += "\\N";
        continue;
      }
      for (char c : *text) {
        switch (c) {
          case '\\': buffer_ += "\\\\"; break;
          case '\t': buffer_ += "\\t"; break;
          case '\n': buffer_ += "\\n"; break;
          case '\r': buffer_ += "\\r"; break;
          default: buffer_ += c;
        }
      }
    }
    buffer_ += '\n';
    if (buffer_.size() >= kChunkBytes) flush();
  }

  void finish() override {
    flush();
    finished_ = true;
    if (PQputCopyEnd(connection_.raw(), nullptr) != 1)
      throw StoreError(StoreError::Kind::Connection, "Falha ao terminar a carga: " +
                                                         std::string(PQerrorMessage(connection_.raw())));
    drainResults(true);
  }

 private:
  static constexpr std::size_t kChunkBytes = 1 << 16;

  void flush() {
    if (buffer_.empty()) return;
    if (PQputCopyData(connection_.raw(), buffer_.data(), static_cast<int>(buffer_.size())) != 1)
      throw StoreError(StoreError::Kind::Connection,
                       "Falha ao enviar a carga: " + std::string(PQerrorMessage(connection_.raw())));
    buffer_.clear();
  }

  void drainResults(bool raise = false) {
    std::optional<StoreError> failure;
    while (PGresult* raw = PQgetResult(connection_.raw())) {
      Result result(raw);
      if (raise && !failure) {
        try {
          connection_.check(result.get(), "COPY");
        } catch (const StoreError& e) {
          failure = e;
        }
      }
    }
    if (failure) throw *failure;
  }

  PgConnection& connection_;
  std::string buffer_;
  bool finished_ = false;
};

std::unique_ptr<BulkWriter> PgConnection::bulkWriter(std::string_view table,
                                                     const std::vector<std::string>& columns) {
  std::string names;
  for (std::size_t i = 0; i < columns.size(); ++i) names += (i ? ", " : "") + columns[i];
  return std::make_unique<PgBulkWriter>(*this, "COPY " + std::string(table) + " (" + names + ") FROM STDIN");
}

}  // namespace

std::unique_ptr<Connection> OpenPostgreSQL(const std::string& url) {
  return std::make_unique<PgConnection>(url);
}

}  // namespace server::store
