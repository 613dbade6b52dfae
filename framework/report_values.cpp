#include "framework/report_values.h"

#include <charconv>

#include "contracts/framework/consiste.h"
#include "contracts/framework/norvexa.h"
#include "contracts/framework/qrddlgs.h"
#include "platform/text/ascii_text.h"
#include "platform/text/edit_mask.h"
#include "platform/text/float_format.h"

namespace framework::report {

namespace {

using platform::FieldType;

std::size_t ColumnOf(const platform::DataPacket& result, const std::string& column, const Definition& definition) {
  const int index = result.columnIndex(column);
  if (index < 0)
    throw Qrddlgs::EReportError("A consulta do relatório \"" + definition.title + "\" não devolve a coluna " + column +
                                " que a definição usa (" + definition.file.string() + ").");
  return static_cast<std::size_t>(index);
}

std::vector<BoundField> Bind(const std::vector<Field>& fields, const platform::DataPacket& result,
                             const Definition& definition) {
  std::vector<BoundField> bound;
  for (const Field& field : fields) {
    BoundField b{&field, ColumnOf(result, field.column, definition), std::nullopt};
    if (field.kind == ValueKind::Registration) b.kindColumn = ColumnOf(result, field.kindColumn, definition);
    bound.push_back(b);
  }
  return bound;
}

// The cell as plain text, whatever its kind: numbers as the database writes them.
std::string RawText(const platform::DataPacket& chunk, std::size_t row, std::size_t column) {
  if (chunk.isNull(row, column)) return {};
  switch (chunk.columns()[column].type) {
    case FieldType::String:
      return std::string(chunk.stringAt(row, column));
    case FieldType::DateTime:
      return platform::DateToStr(platform::TDateTime{chunk.floatAt(row, column)});
    default:
      return chunk.value(row, column).toString();
  }
}

const std::string& IntegerFormat() {
  static const std::string format = "###,#0";
  return format;
}

}  // namespace

BoundFields BindFields(const Definition& definition, const platform::DataPacket& result) {
  BoundFields fields;
  if (definition.group) {
    fields.header = Bind(definition.group->header, result, definition);
    fields.groupColumn = ColumnOf(result, definition.group->by, definition);
  }
  fields.columns = Bind(definition.columns, result, definition);
  return fields;
}

std::optional<double> CellNumber(const BoundField& field, const platform::DataPacket& chunk, std::size_t row) {
  if (chunk.isNull(row, field.column)) return std::nullopt;
  switch (chunk.columns()[field.column].type) {
    case FieldType::Float:
    case FieldType::DateTime:
      return chunk.floatAt(row, field.column);
    case FieldType::Integer:
    case FieldType::Boolean:
      return static_cast<double>(chunk.integerAt(row, field.column));
    case FieldType::String: {
      const std::string_view text = platform::TrimBlanks(chunk.stringAt(row, field.column));
      double value = 0;
      auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
      if (ec == std::errc() && end == text.data() + text.size()) return value;
      return std::nullopt;
    }
  }
  return std::nullopt;
}

std::optional<platform::TDateTime> CellDate(const BoundField& field, const platform::DataPacket& chunk,
                                            std::size_t row) {
  if (chunk.isNull(row, field.column)) return std::nullopt;
  if (chunk.columns()[field.column].type == FieldType::DateTime)
    return platform::TDateTime{chunk.floatAt(row, field.column)};
  if (chunk.columns()[field.column].type == FieldType::String)
    return platform::TryISOToDateTime(chunk.stringAt(row, field.column));
  return std::nullopt;
}

std::string CellText(const BoundField& field, const platform::DataPacket& chunk, std::size_t row) {
  if (chunk.isNull(row, field.column)) return {};
  switch (field.field->kind) {
    case ValueKind::Number:
    case ValueKind::Integer: {
      const std::optional<double> number = CellNumber(field, chunk, row);
      if (!number) return RawText(chunk, row, field.column);
      return platform::FormatFloat(field.field->kind == ValueKind::Number ? field.field->format : IntegerFormat(),
                                   *number);
    }
    case ValueKind::Date: {
      const std::optional<platform::TDateTime> date = CellDate(field, chunk, row);
      return date ? platform::DateToStr(*date) : RawText(chunk, row, field.column);
    }
    case ValueKind::ProductCode:
      return Norvexa::DBPictObj(Picture::ptProduto).FormatCode(platform::TrimBlanks(RawText(chunk, row, field.column)));
    case ValueKind::Registration: {
      const std::string number = RawText(chunk, row, field.column);
      const std::string mask = Consiste::PictPess(RawText(chunk, row, *field.kindColumn));
      return mask.empty() ? number : platform::FormatMaskText(mask, number);
    }
    case ValueKind::Text:
      break;
  }
  return RawText(chunk, row, field.column);
}

std::string GroupKey(const BoundFields& fields, const platform::DataPacket& chunk, std::size_t row) {
  return fields.groupColumn ? RawText(chunk, row, *fields.groupColumn) : std::string();
}

std::string TotalText(const Field& column, TotalFunction function, double value) {
  const bool inColumnFormat = function == TotalFunction::Sum && column.kind == ValueKind::Number;
  return platform::FormatFloat(inColumnFormat ? column.format : IntegerFormat(), value);
}

std::string ParameterText(const Parameter& parameter, const platform::TParam& value) {
  if (value.IsNull()) return {};
  switch (parameter.display) {
    case ValueKind::ProductCode:
      return Norvexa::DBPictObj(Picture::ptProduto).FormatCode(platform::TrimBlanks(value.AsString()));
    case ValueKind::Date:
      return platform::DateToStr(value.AsDateTime());
    case ValueKind::Number:
      return platform::FloatToStr(value.AsFloat());
    default:
      return std::string(platform::TrimBlanks(value.AsString()));
  }
}

}  // namespace framework::report
