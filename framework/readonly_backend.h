#pragma once
// The database behind the framework's shared read-only query connection: a SQLite
// file opened read-only (SQLITE_OPEN_READONLY and query_only) or a PostgreSQL
// database where every statement runs in a READ ONLY transaction. Either way the
// database itself refuses any write, whatever SQL text reaches it.
//
// Statements take numbered placeholders (placeholder(1), ...) bound as text or null;
// results come back as a data packet whose column kinds follow the hints given (by
// column name) or, without a hint, the database's own column types.
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/variant/data_packet.h"

namespace framework::sql {

using Param = std::optional<std::string>;  // nullopt binds NULL

class ReadOnlyBackend {
 public:
  virtual ~ReadOnlyBackend() = default;
  virtual std::string placeholder(int index) const = 0;
  virtual void begin() = 0;
  virtual void commit() = 0;
  virtual void rollback() noexcept = 0;
  // Runs one statement that reads and returns its rows. Raises platform::EDatabaseError.
  virtual std::shared_ptr<const platform::DataPacket> select(const std::string& sql,
                                                             const std::vector<Param>& params,
                                                             const std::vector<platform::ColumnDef>& hints) = 0;
};

// Opens `target`: a postgresql:// (or postgres://) URL, else a SQLite file that must
// exist. Raises platform::EDatabaseError with a clear text.
std::unique_ptr<ReadOnlyBackend> OpenReadOnly(const std::string& target);

std::unique_ptr<ReadOnlyBackend> OpenSqliteReadOnly(const std::string& path);
std::unique_ptr<ReadOnlyBackend> OpenPostgresReadOnly(const std::string& url);

// The hint for a column name (ASCII case ignored), or nullptr.
const platform::ColumnDef* FindHint(const std::vector<platform::ColumnDef>& hints, const std::string& name);

// Appends a cell given as the database's text to a column of kind `type` (numbers with
// ".", dates ISO-8601, booleans t/f/true/false/1/0). Raises platform::EDatabaseError
// naming the column when the text does not fit.
void AppendTextCell(platform::DataPacket& packet, platform::FieldType type, std::string_view text,
                    const std::string& column);

}  // namespace framework::sql
