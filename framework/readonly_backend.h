#pragma once
// The database behind the framework's shared read-only query connection: a SQLite
// file opened read-only (SQLITE_OPEN_READONLY and query_only) or a PostgreSQL
// database where every statement runs in a READ ONLY transaction. Either way the
// database itself refuses any write, whatever SQL text reaches it.
//
// Statements take numbered placeholders (placeholder(1), ...) bound as text or null;
// results come back as a data packet whose column kinds follow the hints given (by
// column name) or, without a hint, the database's own column types.
//
// A transaction (begin ... commit) reads one snapshot of the data: every statement in
// it sees the same rows, so a report that reads its query twice (once to lay out its
// pages, once to draw them) gets the same answer both times.
#include <cstddef>
#include <functional>
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

  // Runs one statement that reads and hands its rows to `consume` in packets of at most
  // `chunkRows` rows, all with the same columns, so memory holds one chunk whatever the
  // row count. `consume` runs at least once: with no rows, once with an empty packet
  // that still names the columns. Column kinds follow the hints, else the database's
  // types; a column with neither (a SQLite expression) takes the kind of its value in
  // the first row, text when there is none. An exception from `consume` ends the
  // statement and goes on. Raises platform::EDatabaseError.
  using ChunkConsumer = std::function<void(const platform::DataPacket& chunk)>;
  virtual void selectChunks(const std::string& sql, const std::vector<Param>& params,
                            const std::vector<platform::ColumnDef>& hints, std::size_t chunkRows,
                            const ChunkConsumer& consume) = 0;
};

// Whether `target` names a PostgreSQL database (a postgresql:// or postgres:// URL)
// rather than a SQLite file.
bool IsPostgresTarget(std::string_view target);

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
