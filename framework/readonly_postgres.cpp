// The read-only backend on PostgreSQL: the session defaults to read-only transactions
// and every statement runs inside a READ ONLY transaction, so the server refuses any
// write. The transaction is REPEATABLE READ, so all its statements read one snapshot.
// Parameters travel apart from the text (PQexecParams), which also refuses more than
// one statement. Chunked reads use single-row mode, so libpq never holds the whole
// result.
#include <libpq-fe.h>

#include <memory>
#include <optional>

#include "framework/readonly_backend.h"
#include "platform/data/database_error.h"
#include "platform/text/ascii_text.h"

namespace framework::sql {

namespace {

using platform::ColumnDef;
using platform::FieldType;

// Type OIDs of the PostgreSQL catalogue.
constexpr Oid kBool = 16, kInt8 = 20, kInt2 = 21, kInt4 = 23, kFloat4 = 700, kFloat8 = 701, kNumeric = 1700,
              kBpchar = 1042, kVarchar = 1043, kDate = 1082, kTimestamp = 1114, kTimestampTz = 1184;

FieldType KindOfOid(Oid type) {
  switch (type) {
    case kBool:
      return FieldType::Boolean;
    case kInt8:
    case kInt2:
    case kInt4:
      return FieldType::Integer;
    case kFloat4:
    case kFloat8:
    case kNumeric:
      return FieldType::Float;
    case kDate:
    case kTimestamp:
    case kTimestampTz:
      return FieldType::DateTime;
    default:
      return FieldType::String;
  }
}

// The connection's last error, without the line break libpq ends it with.
std::string LastError(PGconn* conn) { return std::string(platform::TrimBlanks(PQerrorMessage(conn))); }

std::string ResultError(const PGresult* result) {
  return std::string(platform::TrimBlanks(PQresultErrorMessage(result)));
}

struct ResultCloser {
  void operator()(PGresult* result) const noexcept { PQclear(result); }
};
using Result = std::unique_ptr<PGresult, ResultCloser>;

// The results of a query sent without waiting. Unless finished() was called (every
// result read), going away cancels the query and reads what is left, so the
// connection is ready for the next statement whatever ended the reading.
class PendingResults {
 public:
  explicit PendingResults(PGconn* conn) : conn_(conn) {}
  PendingResults(const PendingResults&) = delete;
  PendingResults& operator=(const PendingResults&) = delete;
  ~PendingResults() {
    if (!conn_) return;
    if (PGcancel* cancel = PQgetCancel(conn_)) {
      char error[256];
      PQcancel(cancel, error, sizeof error);
      PQfreeCancel(cancel);
    }
    while (PGresult* rest = PQgetResult(conn_)) PQclear(rest);
  }
  void finished() noexcept { conn_ = nullptr; }

 private:
  PGconn* conn_;
};

class PostgresReadOnly final : public ReadOnlyBackend {
 public:
  explicit PostgresReadOnly(const std::string& url) : conn_(PQconnectdb(url.c_str())) {
    if (!conn_ || PQstatus(conn_) != CONNECTION_OK) {
      const std::string message = conn_ ? LastError(conn_) : "sem memória";
      PQfinish(conn_);
      throw platform::EDatabaseError("Não foi possível conectar ao banco de dados de consulta: " + message);
    }
    run("SET default_transaction_read_only = on");
    run("SET client_encoding = 'UTF8'");
  }
  ~PostgresReadOnly() override { PQfinish(conn_); }

  std::string placeholder(int index) const override { return "$" + std::to_string(index); }
  void begin() override { run("START TRANSACTION ISOLATION LEVEL REPEATABLE READ READ ONLY"); }
  void commit() override { run("COMMIT"); }
  void rollback() noexcept override {
    if (PQtransactionStatus(conn_) != PQTRANS_IDLE) PQclear(PQexec(conn_, "ROLLBACK"));
  }

  std::shared_ptr<const platform::DataPacket> select(const std::string& sql, const std::vector<Param>& params,
                                                     const std::vector<ColumnDef>& hints) override {
    std::vector<const char*> values;
    for (const Param& param : params) values.push_back(param ? param->c_str() : nullptr);
    Result result(PQexecParams(conn_, sql.c_str(), static_cast<int>(values.size()), nullptr, values.data(), nullptr,
                               nullptr, 0));
    const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
    if (status != PGRES_TUPLES_OK) {
      if (status == PGRES_COMMAND_OK)
        throw platform::EDatabaseError("Consulta recusada: o comando não devolve linhas.");
      throw platform::EDatabaseError("Erro na consulta ao banco de dados: " + LastError(conn_));
    }
    const std::vector<ColumnDef> columns = describe(result.get(), hints);
    auto packet = std::make_shared<platform::DataPacket>(columns);
    const int rows = PQntuples(result.get());
    packet->reserve(static_cast<std::size_t>(rows));
    for (int r = 0; r < rows; ++r) appendRow(result.get(), r, *packet);
    return packet;
  }

  void selectChunks(const std::string& sql, const std::vector<Param>& params, const std::vector<ColumnDef>& hints,
                    std::size_t chunkRows, const ChunkConsumer& consume) override {
    std::vector<const char*> values;
    for (const Param& param : params) values.push_back(param ? param->c_str() : nullptr);
    if (!PQsendQueryParams(conn_, sql.c_str(), static_cast<int>(values.size()), nullptr, values.data(), nullptr,
                           nullptr, 0))
      throw platform::EDatabaseError("Erro na consulta ao banco de dados: " + LastError(conn_));
    PendingResults pending(conn_);
    PQsetSingleRowMode(conn_);
    std::vector<ColumnDef> columns;
    std::optional<platform::DataPacket> chunk;
    bool delivered = false;
    while (Result result{PQgetResult(conn_)}) {
      const ExecStatusType status = PQresultStatus(result.get());
      if (status == PGRES_COMMAND_OK) throw platform::EDatabaseError("Consulta recusada: o comando não devolve linhas.");
      if (status != PGRES_SINGLE_TUPLE && status != PGRES_TUPLES_OK)
        throw platform::EDatabaseError("Erro na consulta ao banco de dados: " + ResultError(result.get()));
      if (!chunk) {
        columns = describe(result.get(), hints);
        chunk.emplace(columns);
      }
      if (status == PGRES_TUPLES_OK) continue;  // the end of the rows
      appendRow(result.get(), 0, *chunk);
      if (chunk->rowCount() < chunkRows) continue;
      consume(*chunk);
      delivered = true;
      chunk.emplace(columns);
    }
    pending.finished();
    if (chunk && (chunk->rowCount() > 0 || !delivered)) consume(*chunk);
  }

 private:
  void run(const char* sql) {
    Result result(PQexec(conn_, sql));
    if (!result || PQresultStatus(result.get()) != PGRES_COMMAND_OK)
      throw platform::EDatabaseError("Erro no banco de dados de consulta: " + LastError(conn_));
  }

  // Row r of the result, appended to the packet.
  static void appendRow(PGresult* result, int r, platform::DataPacket& packet) {
    const std::vector<ColumnDef>& columns = packet.columns();
    for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
      if (PQgetisnull(result, r, c)) {
        packet.appendNull();
        continue;
      }
      const std::string_view text(PQgetvalue(result, r, c), static_cast<std::size_t>(PQgetlength(result, r, c)));
      const ColumnDef& column = columns[static_cast<std::size_t>(c)];
      AppendTextCell(packet, column.type, text, column.name);
    }
    packet.endRow();
  }

  static std::vector<ColumnDef> describe(PGresult* result, const std::vector<ColumnDef>& hints) {
    std::vector<ColumnDef> columns;
    const int count = PQnfields(result);
    for (int c = 0; c < count; ++c) {
      const std::string name = PQfname(result, c);
      if (const ColumnDef* hint = FindHint(hints, name)) {
        columns.push_back(*hint);
        continue;
      }
      const Oid type = PQftype(result, c);
      const int modifier = PQfmod(result, c);
      const int size = (type == kVarchar || type == kBpchar) && modifier > 4 ? modifier - 4 : 0;
      columns.push_back(ColumnDef{platform::UpperAscii(name), KindOfOid(type), size});
    }
    return columns;
  }

  PGconn* conn_;
};

}  // namespace

std::unique_ptr<ReadOnlyBackend> OpenPostgresReadOnly(const std::string& url) {
  return std::make_unique<PostgresReadOnly>(url);
}

}  // namespace framework::sql
