#include "platform/variant/data_packet.h"

#include <cmath>
#include <limits>

#include "platform/core/exceptions.h"

namespace platform {

const char* FieldTypeName(FieldType type) noexcept {
  switch (type) {
    case FieldType::String: return "String";
    case FieldType::Float: return "Float";
    case FieldType::DateTime: return "DateTime";
    case FieldType::Integer: return "Integer";
    case FieldType::Boolean: return "Boolean";
  }
  return "?";
}

DataPacket::DataPacket(std::vector<ColumnDef> columns)
    : columns_(std::move(columns)), data_(columns_.size()) {}

DataPacket DataPacket::Delta(std::vector<ColumnDef> columns) {
  DataPacket packet(std::move(columns));
  packet.delta_ = true;
  return packet;
}

int DataPacket::columnIndex(std::string_view name) const noexcept {
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    const std::string& n = columns_[i].name;
    if (n.size() != name.size()) continue;
    bool same = true;
    for (std::size_t k = 0; k < n.size() && same; ++k) same = lower(n[k]) == lower(name[k]);
    if (same) return static_cast<int>(i);
  }
  return -1;
}

void DataPacket::checkCell(std::size_t row, std::size_t col) const {
  if (row >= rows_ || col >= columns_.size())
    throw EPacketError("Célula fora do pacote: linha " + std::to_string(row) + ", coluna " +
                       std::to_string(col));
}

bool DataPacket::isNull(std::size_t row, std::size_t col) const {
  checkCell(row, col);
  return data_[col].nulls[row] != 0;
}

std::string_view DataPacket::stringAt(std::size_t row, std::size_t col) const {
  checkCell(row, col);
  if (columns_[col].type != FieldType::String)
    throw EPacketError("Coluna " + columns_[col].name + " não é texto");
  const Column& c = data_[col];
  std::uint32_t begin = row == 0 ? 0 : c.ends[row - 1];
  return std::string_view(c.chars).substr(begin, c.ends[row] - begin);
}

double DataPacket::floatAt(std::size_t row, std::size_t col) const {
  checkCell(row, col);
  FieldType t = columns_[col].type;
  if (t != FieldType::Float && t != FieldType::DateTime)
    throw EPacketError("Coluna " + columns_[col].name + " não é numérica");
  return data_[col].numbers[row];
}

std::int64_t DataPacket::integerAt(std::size_t row, std::size_t col) const {
  checkCell(row, col);
  FieldType t = columns_[col].type;
  if (t != FieldType::Integer && t != FieldType::Boolean)
    throw EPacketError("Coluna " + columns_[col].name + " não é inteira");
  return data_[col].integers[row];
}

Variant DataPacket::value(std::size_t row, std::size_t col) const {
  if (isNull(row, col)) return Variant::Null();
  switch (columns_[col].type) {
    case FieldType::String: return Variant(stringAt(row, col));
    case FieldType::Float: return Variant(floatAt(row, col));
    case FieldType::DateTime: return Variant(TDateTime{floatAt(row, col)});
    case FieldType::Integer: return Variant(integerAt(row, col));
    case FieldType::Boolean: return Variant(integerAt(row, col) != 0);
  }
  return Variant::Null();
}

DataPacket::Column& DataPacket::nextCell(FieldType expected, bool allowIntegerForFloat) {
  if (filled_ >= columns_.size())
    throw EPacketError("Linha com mais células que colunas (" + std::to_string(columns_.size()) + ")");
  FieldType actual = columns_[filled_].type;
  bool ok = actual == expected ||
            (allowIntegerForFloat && expected == FieldType::Integer && actual == FieldType::Float);
  if (!ok)
    throw EPacketError("Valor " + std::string(FieldTypeName(expected)) + " na coluna " +
                       columns_[filled_].name + " do tipo " + FieldTypeName(actual));
  Column& c = data_[filled_++];
  c.nulls.push_back(0);
  return c;
}

void DataPacket::appendNull() {
  if (filled_ >= columns_.size())
    throw EPacketError("Linha com mais células que colunas (" + std::to_string(columns_.size()) + ")");
  Column& c = data_[filled_];
  c.nulls.push_back(1);
  switch (columns_[filled_].type) {
    case FieldType::String: c.ends.push_back(c.ends.empty() ? 0 : c.ends.back()); break;
    case FieldType::Float:
    case FieldType::DateTime: c.numbers.push_back(0.0); break;
    case FieldType::Integer:
    case FieldType::Boolean: c.integers.push_back(0); break;
  }
  ++filled_;
}

void DataPacket::appendString(std::string_view text) {
  Column& c = nextCell(FieldType::String);
  if (c.chars.size() + text.size() > std::numeric_limits<std::uint32_t>::max())
    throw EPacketError("Coluna de texto excede 4 GiB");
  c.chars.append(text);
  c.ends.push_back(static_cast<std::uint32_t>(c.chars.size()));
}

void DataPacket::appendFloat(double value) { nextCell(FieldType::Float).numbers.push_back(value); }

void DataPacket::appendDateTime(TDateTime value) {
  nextCell(FieldType::DateTime).numbers.push_back(value.value);
}

void DataPacket::appendInteger(std::int64_t value) {
  Column& c = nextCell(FieldType::Integer, true);
  if (columns_[filled_ - 1].type == FieldType::Float)
    c.numbers.push_back(static_cast<double>(value));
  else
    c.integers.push_back(value);
}

void DataPacket::appendBool(bool value) { nextCell(FieldType::Boolean).integers.push_back(value); }

void DataPacket::appendValue(const Variant& value) {
  switch (value.kind()) {
    case Variant::Kind::Empty:
    case Variant::Kind::Null: appendNull(); return;
    case Variant::Kind::Bool: appendBool(value.asBool()); return;
    case Variant::Kind::Integer: appendInteger(value.asInteger()); return;
    case Variant::Kind::Double: appendFloat(value.asDouble()); return;
    case Variant::Kind::String: appendString(value.asString()); return;
    case Variant::Kind::DateTime: appendDateTime(value.asDateTime()); return;
    case Variant::Kind::Array:
    case Variant::Kind::Packet: break;
  }
  throw EPacketError(std::string("Uma célula não pode conter ") + Variant::KindName(value.kind()));
}

void DataPacket::checkRowComplete() const {
  if (filled_ != columns_.size())
    throw EPacketError("Linha com " + std::to_string(filled_) + " células para " +
                       std::to_string(columns_.size()) + " colunas");
}

void DataPacket::endRow() {
  if (delta_) throw EPacketError("Linha de um pacote de alterações sem o tipo da alteração");
  checkRowComplete();
  filled_ = 0;
  ++rows_;
}

void DataPacket::endDeltaRow(ChangeKind kind, std::vector<Variant> original) {
  if (!delta_) throw EPacketError("Tipo de alteração numa linha de um pacote de dados comum");
  checkRowComplete();
  bool needsOriginal = kind != ChangeKind::Inserted;
  if (needsOriginal ? original.size() != columns_.size() : !original.empty())
    throw EPacketError("Valores originais de uma linha alterada não correspondem às colunas");
  changes_.push_back(RowChange{kind, std::move(original)});
  filled_ = 0;
  ++rows_;
}

void DataPacket::appendRow(const std::vector<Variant>& values) {
  if (values.size() != columns_.size())
    throw EPacketError("Linha com " + std::to_string(values.size()) + " células para " +
                       std::to_string(columns_.size()) + " colunas");
  for (const Variant& v : values) appendValue(v);
  endRow();
}

void DataPacket::reserve(std::size_t rows) {
  for (std::size_t i = 0; i < columns_.size(); ++i) {
    Column& c = data_[i];
    c.nulls.reserve(rows);
    switch (columns_[i].type) {
      case FieldType::String: c.ends.reserve(rows); break;
      case FieldType::Float:
      case FieldType::DateTime: c.numbers.reserve(rows); break;
      case FieldType::Integer:
      case FieldType::Boolean: c.integers.reserve(rows); break;
    }
  }
}

ChangeKind DataPacket::changeKind(std::size_t row) const {
  if (!delta_ || row >= changes_.size()) throw EPacketError("Linha sem alteração registrada");
  return changes_[row].kind;
}

const std::vector<Variant>& DataPacket::originalValues(std::size_t row) const {
  if (!delta_ || row >= changes_.size()) throw EPacketError("Linha sem alteração registrada");
  return changes_[row].original;
}

std::size_t DataPacket::memoryBytes() const noexcept {
  std::size_t total = columns_.capacity() * sizeof(ColumnDef) + data_.capacity() * sizeof(Column);
  for (const Column& c : data_)
    total += c.nulls.capacity() + c.numbers.capacity() * sizeof(double) +
             c.integers.capacity() * sizeof(std::int64_t) + c.chars.capacity() +
             c.ends.capacity() * sizeof(std::uint32_t);
  return total;
}

bool operator==(const DataPacket& a, const DataPacket& b) {
  if (a.columns_ != b.columns_ || a.rows_ != b.rows_ || a.delta_ != b.delta_) return false;
  for (std::size_t row = 0; row < a.rows_; ++row)
    for (std::size_t col = 0; col < a.columns_.size(); ++col)
      if (!(a.value(row, col) == b.value(row, col))) return false;
  if (a.delta_)
    for (std::size_t row = 0; row < a.rows_; ++row)
      if (a.changes_[row].kind != b.changes_[row].kind ||
          a.changes_[row].original != b.changes_[row].original)
        return false;
  return true;
}

}  // namespace platform
