// The read-only backend on a SQLite file: opened with SQLITE_OPEN_READONLY, with
// query_only on, an authorizer that allows nothing but reading, and every statement
// checked by sqlite3_stmt_readonly before it runs.
#include <sqlite3.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <optional>
#include <filesystem>
#include <memory>
#include <variant>

#include "framework/readonly_backend.h"
#include "platform/data/database_error.h"
#include "platform/text/ascii_text.h"
#include "platform/text/text_fold.h"

namespace framework::sql {

namespace {

using platform::ColumnDef;
using platform::FieldType;

// One cell as SQLite gave it.
using Cell = std::variant<std::monostate, std::int64_t, double, std::string>;

// The kind a declared column type names, by SQLite's affinity words; nullopt when the
// type says nothing (expressions, untyped columns).
std::optional<FieldType> KindOfDeclared(const char* declared) {
  if (!declared) return std::nullopt;
  const std::string type = platform::UpperAscii(declared);
  if (type.find("INT") != std::string::npos) return FieldType::Integer;
  if (type.find("BOOL") != std::string::npos) return FieldType::Boolean;
  if (type.find("CHAR") != std::string::npos || type.find("TEXT") != std::string::npos ||
      type.find("CLOB") != std::string::npos)
    return FieldType::String;
  if (type.find("DATE") != std::string::npos || type.find("TIME") != std::string::npos) return FieldType::DateTime;
  if (type.find("REAL") != std::string::npos || type.find("FLOA") != std::string::npos ||
      type.find("DOUB") != std::string::npos || type.find("NUM") != std::string::npos ||
      type.find("DEC") != std::string::npos)
    return FieldType::Float;
  return std::nullopt;
}

int SizeOfDeclared(const char* declared) {
  if (!declared) return 0;
  const char* open = std::strchr(declared, '(');
  if (!open) return 0;
  int size = 0;
  std::from_chars(open + 1, declared + std::strlen(declared), size);
  return size;
}

FieldType KindOfCell(const Cell& cell) {
  if (std::holds_alternative<std::int64_t>(cell)) return FieldType::Integer;
  if (std::holds_alternative<double>(cell)) return FieldType::Float;
  return FieldType::String;
}

std::string NumberText(const Cell& cell) {
  if (const auto* i = std::get_if<std::int64_t>(&cell)) return std::to_string(*i);
  char buffer[32];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, std::get<double>(cell));
  return std::string(buffer, end);
}

void AppendCell(platform::DataPacket& packet, const ColumnDef& column, const Cell& cell) {
  if (std::holds_alternative<std::monostate>(cell)) {
    packet.appendNull();
    return;
  }
  if (const auto* text = std::get_if<std::string>(&cell)) {
    AppendTextCell(packet, column.type, *text, column.name);
    return;
  }
  switch (column.type) {
    case FieldType::Integer:
    case FieldType::Boolean:
      if (const auto* d = std::get_if<double>(&cell); d && *d != static_cast<double>(static_cast<std::int64_t>(*d))) {
        AppendTextCell(packet, column.type, NumberText(cell), column.name);
        return;
      }
      if (column.type == FieldType::Boolean) {
        packet.appendBool(std::holds_alternative<std::int64_t>(cell) ? std::get<std::int64_t>(cell) != 0
                                                                     : std::get<double>(cell) != 0);
      } else {
        packet.appendInteger(std::holds_alternative<std::int64_t>(cell)
                                 ? std::get<std::int64_t>(cell)
                                 : static_cast<std::int64_t>(std::get<double>(cell)));
      }
      return;
    case FieldType::Float:
      packet.appendFloat(std::holds_alternative<std::int64_t>(cell) ? static_cast<double>(std::get<std::int64_t>(cell))
                                                                    : std::get<double>(cell));
      return;
    default:
      AppendTextCell(packet, column.type, NumberText(cell), column.name);
  }
}

// Lets statements read tables, call functions and open or close the read transaction;
// everything else (writes, schema changes, PRAGMA, ATTACH) is refused while preparing.
int AuthorizeReadOnly(void*, int action, const char*, const char*, const char*, const char*) {
  switch (action) {
    case SQLITE_SELECT:
    case SQLITE_READ:
    case SQLITE_FUNCTION:
    case SQLITE_TRANSACTION:
    case SQLITE_RECURSIVE:
      return SQLITE_OK;
    default:
      return SQLITE_DENY;
  }
}

struct StatementCloser {
  void operator()(sqlite3_stmt* statement) const noexcept { sqlite3_finalize(statement); }
};
using Statement = std::unique_ptr<sqlite3_stmt, StatementCloser>;

class SqliteReadOnly final : public ReadOnlyBackend {
 public:
  explicit SqliteReadOnly(const std::string& path) {
    if (path.empty()) throw platform::EDatabaseError("Banco de dados de consulta não configurado.");
    if (!std::filesystem::is_regular_file(path))
      throw platform::EDatabaseError("Banco de dados de consulta não encontrado: " + path);
    const int rc = sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READONLY, nullptr);
    if (rc != SQLITE_OK) {
      const std::string message = db_ ? sqlite3_errmsg(db_) : sqlite3_errstr(rc);
      sqlite3_close(db_);
      throw platform::EDatabaseError("Não foi possível abrir o banco de dados de consulta " + path + ": " + message);
    }
    sqlite3_busy_timeout(db_, 10000);
    // Names ordered as the application server orders them ("Açougue" before "Aline").
    if (sqlite3_create_collation_v2(db_, "VQR_FOLDED", SQLITE_UTF8, nullptr, platform::CompareFoldedCollation,
                                    nullptr) != SQLITE_OK)
      throw platform::EDatabaseError(std::string("Não foi possível registrar a ordem de nomes: ") + sqlite3_errmsg(db_));
    run("PRAGMA query_only = ON");
    sqlite3_set_authorizer(db_, AuthorizeReadOnly, nullptr);
  }
  ~SqliteReadOnly() override { sqlite3_close(db_); }

  std::string placeholder(int index) const override { return "?" + std::to_string(index); }
  void begin() override { run("BEGIN"); }
  void commit() override { run("COMMIT"); }
  void rollback() noexcept override {
    if (!sqlite3_get_autocommit(db_)) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }

  std::shared_ptr<const platform::DataPacket> select(const std::string& sql, const std::vector<Param>& params,
                                                     const std::vector<ColumnDef>& hints) override {
    Statement statement = prepare(sql);
    bind(statement.get(), params);
    const std::vector<std::optional<ColumnDef>> known = knownColumns(statement.get(), hints);
    if (std::all_of(known.begin(), known.end(), [](const auto& column) { return column.has_value(); }))
      return stream(statement.get(), known);
    return buffered(statement.get(), known);
  }

  void selectChunks(const std::string& sql, const std::vector<Param>& params, const std::vector<ColumnDef>& hints,
                    std::size_t chunkRows, const ChunkConsumer& consume) override {
    Statement statement = prepare(sql);
    bind(statement.get(), params);
    const std::vector<std::optional<ColumnDef>> known = knownColumns(statement.get(), hints);
    bool hasRow = step(statement.get());
    std::vector<ColumnDef> columns;
    for (std::size_t c = 0; c < known.size(); ++c) {
      if (known[c]) {
        columns.push_back(*known[c]);
        continue;
      }
      const int index = static_cast<int>(c);
      const FieldType kind = hasRow ? KindOfCell(readCell(statement.get(), index)) : FieldType::String;
      columns.push_back(ColumnDef{platform::UpperAscii(sqlite3_column_name(statement.get(), index)), kind, 0});
    }
    platform::DataPacket chunk(columns);
    bool delivered = false;
    for (; hasRow; hasRow = step(statement.get())) {
      appendRow(statement.get(), chunk);
      if (chunk.rowCount() < chunkRows) continue;
      consume(chunk);
      delivered = true;
      chunk = platform::DataPacket(columns);
    }
    if (chunk.rowCount() > 0 || !delivered) consume(chunk);
  }

 private:
  [[noreturn]] void fail(const std::string& what) const {
    throw platform::EDatabaseError(what + ": " + sqlite3_errmsg(db_));
  }

  void run(const char* sql) {
    if (sqlite3_exec(db_, sql, nullptr, nullptr, nullptr) != SQLITE_OK) fail("Erro no banco de dados de consulta");
  }

  Statement prepare(const std::string& sql) {
    sqlite3_stmt* raw = nullptr;
    const char* tail = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &raw, &tail) != SQLITE_OK)
      fail("Erro na consulta ao banco de dados");
    Statement statement(raw);
    if (!statement) throw platform::EDatabaseError("Consulta vazia: não há comando SQL.");
    for (const char* p = tail; p && *p; ++p)
      if (!std::isspace(static_cast<unsigned char>(*p)) && *p != ';')
        throw platform::EDatabaseError("Consulta recusada: informe um único comando SQL.");
    if (!sqlite3_stmt_readonly(statement.get()))
      throw platform::EDatabaseError("Consulta recusada: a conexão de consulta é somente leitura.");
    return statement;
  }

  void bind(sqlite3_stmt* statement, const std::vector<Param>& params) {
    if (sqlite3_bind_parameter_count(statement) != static_cast<int>(params.size()))
      throw platform::EDatabaseError("Consulta com parâmetros que não correspondem ao texto SQL.");
    for (std::size_t i = 0; i < params.size(); ++i) {
      const int index = static_cast<int>(i) + 1;
      const int rc = params[i] ? sqlite3_bind_text(statement, index, params[i]->data(),
                                                   static_cast<int>(params[i]->size()), SQLITE_TRANSIENT)
                               : sqlite3_bind_null(statement, index);
      if (rc != SQLITE_OK) fail("Erro ao passar os parâmetros da consulta");
    }
  }

  static Cell readCell(sqlite3_stmt* statement, int column) {
    switch (sqlite3_column_type(statement, column)) {
      case SQLITE_NULL:
        return std::monostate{};
      case SQLITE_INTEGER:
        return static_cast<std::int64_t>(sqlite3_column_int64(statement, column));
      case SQLITE_FLOAT:
        return sqlite3_column_double(statement, column);
      default: {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, column));
        return std::string(text ? text : "", static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
      }
    }
  }

  bool step(sqlite3_stmt* statement) {
    const int rc = sqlite3_step(statement);
    if (rc == SQLITE_DONE) return false;
    if (rc != SQLITE_ROW) fail("Erro na consulta ao banco de dados");
    return true;
  }

  // Every column's kind known before reading (from the hints or the declared types):
  // rows go straight into the packet.
  std::shared_ptr<const platform::DataPacket> stream(sqlite3_stmt* statement,
                                                     const std::vector<std::optional<ColumnDef>>& known) {
    std::vector<ColumnDef> columns;
    for (const auto& column : known) columns.push_back(*column);
    auto packet = std::make_shared<platform::DataPacket>(columns);
    while (step(statement)) appendRow(statement, *packet);
    return packet;
  }

  // The row the statement stands on, appended to the packet.
  static void appendRow(sqlite3_stmt* statement, platform::DataPacket& packet) {
    const std::vector<ColumnDef>& columns = packet.columns();
    for (std::size_t c = 0; c < columns.size(); ++c) {
      const int index = static_cast<int>(c);
      if (columns[c].type == FieldType::String && sqlite3_column_type(statement, index) == SQLITE_TEXT) {
        const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, index));
        packet.appendString(std::string_view(text, static_cast<std::size_t>(sqlite3_column_bytes(statement, index))));
      } else {
        AppendCell(packet, columns[c], readCell(statement, index));
      }
    }
    packet.endRow();
  }

  // Some column's kind comes from its values (an expression or an untyped column): the
  // rows are read first, then the kinds decided.
  std::shared_ptr<const platform::DataPacket> buffered(sqlite3_stmt* statement,
                                                       const std::vector<std::optional<ColumnDef>>& known) {
    std::vector<std::vector<Cell>> rows;
    while (step(statement)) {
      std::vector<Cell>& row = rows.emplace_back();
      for (std::size_t c = 0; c < known.size(); ++c) row.push_back(readCell(statement, static_cast<int>(c)));
    }
    std::vector<ColumnDef> columns;
    for (std::size_t c = 0; c < known.size(); ++c) {
      if (known[c]) {
        columns.push_back(*known[c]);
        continue;
      }
      FieldType kind = FieldType::String;
      for (const auto& row : rows)
        if (!std::holds_alternative<std::monostate>(row[c])) {
          kind = KindOfCell(row[c]);
          break;
        }
      const char* name = sqlite3_column_name(statement, static_cast<int>(c));
      columns.push_back(ColumnDef{platform::UpperAscii(name), kind, 0});
    }
    auto packet = std::make_shared<platform::DataPacket>(columns);
    packet->reserve(rows.size());
    for (const std::vector<Cell>& row : rows) {
      for (std::size_t c = 0; c < columns.size(); ++c) AppendCell(*packet, columns[c], row[c]);
      packet->endRow();
    }
    return packet;
  }

  static std::vector<std::optional<ColumnDef>> knownColumns(sqlite3_stmt* statement,
                                                            const std::vector<ColumnDef>& hints) {
    std::vector<std::optional<ColumnDef>> columns;
    const int count = sqlite3_column_count(statement);
    for (int c = 0; c < count; ++c) {
      const std::string name = sqlite3_column_name(statement, c);
      if (const ColumnDef* hint = FindHint(hints, name)) {
        columns.emplace_back(*hint);
        continue;
      }
      const char* declared = sqlite3_column_decltype(statement, c);
      const std::optional<FieldType> kind = KindOfDeclared(declared);
      if (kind)
        columns.emplace_back(
            ColumnDef{platform::UpperAscii(name), *kind, *kind == FieldType::String ? SizeOfDeclared(declared) : 0});
      else
        columns.emplace_back(std::nullopt);
    }
    return columns;
  }

  sqlite3* db_ = nullptr;
};

}  // namespace

std::unique_ptr<ReadOnlyBackend> OpenSqliteReadOnly(const std::string& path) {
  return std::make_unique<SqliteReadOnly>(path);
}

}  // namespace framework::sql
