#pragma once
// The rows of a report's query on the framework's shared read-only connection
// (Adoibquery's dtmDBGeral), read a chunk at a time, as often as a writer asks, all
// inside one read-only transaction: every pass over the rows sees the same rows, and
// memory holds one chunk whatever the row count.
//
//   ReportQuery query(definition, params);   // binds, connects, starts the transaction
//   query.ForEachChunk([&](const DataPacket& chunk) { ... });   // once per pass
//   query.Finish();                          // ends the transaction
//
// Going away without Finish (an error on the way) rolls the transaction back.
#include <functional>
#include <string>
#include <vector>

#include "framework/readonly_backend.h"
#include "framework/report_definition.h"
#include "platform/data/params.h"
#include "platform/variant/data_packet.h"

namespace framework::report {

class ReportQuery {
 public:
  ReportQuery(const Definition& definition, const platform::TParams& params);
  ~ReportQuery();
  ReportQuery(const ReportQuery&) = delete;
  ReportQuery& operator=(const ReportQuery&) = delete;

  using ChunkVisitor = std::function<void(const platform::DataPacket& chunk)>;
  // Runs the query and hands over its rows; at least one chunk, the only one empty
  // when there are no rows. Raises platform::EDatabaseError.
  void ForEachChunk(const ChunkVisitor& visit);
  void Finish();

 private:
  std::string text_;
  std::vector<sql::Param> values_;
  std::vector<platform::ColumnDef> hints_;
  bool open_ = false;
};

}  // namespace framework::report
