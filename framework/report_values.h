#pragma once
// The values of a report's rows as its writers need them: each field of the definition
// bound to its column of the query's result, its text formatted by kind (what the PDF
// prints and the CSV holds), and its typed value (what a spreadsheet cell holds).
//
// A field whose column (or person-kind column) the result lacks raises
// Qrddlgs::EReportError naming it, so a definition that does not match its own query
// says so on the first run.
#include <optional>
#include <string>
#include <vector>

#include "framework/report_definition.h"
#include "platform/data/params.h"
#include "platform/text/date_time.h"
#include "platform/variant/data_packet.h"

namespace framework::report {

struct BoundField {
  const Field* field = nullptr;
  std::size_t column = 0;
  std::optional<std::size_t> kindColumn;  // Registration
};

struct BoundFields {
  std::vector<BoundField> header;   // the group's header fields (none without a group)
  std::vector<BoundField> columns;  // the definition's columns
  std::optional<std::size_t> groupColumn;
};

// The fields of `definition` bound to the columns of a result (any chunk of it: all
// chunks of a result have the same columns).
BoundFields BindFields(const Definition& definition, const platform::DataPacket& result);

// A cell as shown: "" for null; numbers in the field's FormatFloat format, dates
// dd/mm/yyyy, product codes in the product picture, registration numbers in the mask
// of the row's person kind (as stored when the kind has no mask).
std::string CellText(const BoundField& field, const platform::DataPacket& chunk, std::size_t row);

// A numeric cell as a double; nullopt when null. Texts are read as the database writes
// numbers ("12.5").
std::optional<double> CellNumber(const BoundField& field, const platform::DataPacket& chunk, std::size_t row);
// A date cell; nullopt when null or not a date.
std::optional<platform::TDateTime> CellDate(const BoundField& field, const platform::DataPacket& chunk,
                                            std::size_t row);

// The key of the row's section: the group column's value as text ("" without a group).
std::string GroupKey(const BoundFields& fields, const platform::DataPacket& chunk, std::size_t row);

// A value formatted as a total of `column`: counts as whole numbers, sums in the
// column's format.
std::string TotalText(const Field& column, TotalFunction function, double value);

// A parameter's value as the filter summary shows it (its display kind).
std::string ParameterText(const Parameter& parameter, const platform::TParam& value);

}  // namespace framework::report
