// The read-only backend on PostgreSQL: the session defaults to read-only transactions
// and every statement runs inside START TRANSACTION READ ONLY, so the server refuses
// any write. Parameters travel apart from the text (PQexecParams), which also refuses
// more than one statement.
#include <libpq-fe.h>

#include <memory>

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

struct ResultCloser {
  void operator()(PGresult* result) const noexcept { PQclear(result); }
};
using Result = std::unique_ptr<PGresult, ResultCloser>;

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
  void begin() override { run("START TRANSACTION READ ONLY"); }
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
    for (int r = 0; r < rows; ++r) {
      for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
        if (PQgetisnull(result.get(), r, c)) {
          packet->appendNull();
          continue;
        }
        const std::string_view text(PQgetvalue(result.get(), r, c),
                                    static_cast<std::size_t>(PQgetlength(result.get(), r, c)));
        AppendTextCell(*packet, columns[static_cast<std::size_t>(c)].type, text, columns[static_cast<std::size_t>(c)].name);
      }
      packet->endRow();
    }
    return packet;
  }

 private:
  void run(const char* sql) {
    Result result(PQexec(conn_, sql));
    if (!result || PQresultStatus(result.get()) != PGRES_COMMAND_OK)
      throw platform::EDatabaseError("Erro no banco de dados de consulta: " + LastError(conn_));
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
