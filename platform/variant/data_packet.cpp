#include "platform/variant/data_packet.h"

#include <cmath>
#include <limits>

#include "platform/core/exceptions.h"
#include "platform/variant/cell_rules.h"
#include "platform/variant/codec.h"
#include "platform/variant/packet_writer.h"

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

std::shared_ptr<const DataPacket> DataPacket::FromWire(std::vector<ColumnDef> columns, std::size_t rows,
                                                      std::unique_ptr<PacketWire> wire) {
  auto packet = std::make_shared<DataPacket>(std::move(columns));
  packet->rows_ = rows;
  packet->wire_ = std::move(wire);
  return packet;
}

const DataPacket& DataPacket::resolved() const {
  if (!wire_) return *this;
  std::call_once(wire_->decodeOnce, [this] { wire_->decoded = DecodeVariant(wire_->bytes).packetPtr(); });
  return *wire_->decoded;
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
  if (wire_) return resolved().isNull(row, col);
  checkCell(row, col);
  return data_[col].nulls[row] != 0;
}

std::string_view DataPacket::stringAt(std::size_t row, std::size_t col) const {
  if (wire_) return resolved().stringAt(row, col);
  checkCell(row, col);
  if (columns_[col].type != FieldType::String)
    throw EPacketError("Coluna " + columns_[col].name + " não é texto");
  const Column& c = data_[col];
  std::uint32_t begin = row == 0 ? 0 : c.ends[row - 1];
  return std::string_view(c.chars).substr(begin, c.ends[row] - begin);
}

double DataPacket::floatAt(std::size_t row, std::size_t col) const {
  if (wire_) return resolved().floatAt(row, col);
  checkCell(row, col);
  FieldType t = columns_[col].type;
  if (t != FieldType::Float && t != FieldType::DateTime)
    throw EPacketError("Coluna " + columns_[col].name + " não é numérica");
  return data_[col].numbers[row];
}

std::int64_t DataPacket::integerAt(std::size_t row, std::size_t col) const {
  if (wire_) return resolved().integerAt(row, col);
  checkCell(row, col);
  FieldType t = columns_[col].type;
  if (t != FieldType::Integer && t != FieldType::Boolean)
    throw EPacketError("Coluna " + columns_[col].name + " não é inteira");
  return data_[col].integers[row];
}

Variant DataPacket::value(std::size_t row, std::size_t col) const {
  if (wire_) return resolved().value(row, col);
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

void DataPacket::checkRoomForCell() const {
  if (wire_) throw EPacketError("Pacote já codificado não recebe células");
  cells::CheckRoom(filled_, columns_);
}

DataPacket::Column& DataPacket::nextCell(FieldType expected) {
  checkRoomForCell();
  cells::CheckKind(expected, columns_[filled_]);
  Column& c = data_[filled_++];
  c.nulls.push_back(0);
  return c;
}

void DataPacket::appendNull() {
  checkRoomForCell();
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
  // Checked before nextCell so a refused text leaves no half-appended cell behind.
  if (filled_ < columns_.size() &&
      data_[filled_].chars.size() + text.size() > std::numeric_limits<std::uint32_t>::max())
    throw EPacketError("Coluna de texto excede 4 GiB");
  Column& c = nextCell(FieldType::String);
  c.chars.append(text);
  c.ends.push_back(static_cast<std::uint32_t>(c.chars.size()));
}

void DataPacket::appendFloat(double value) { nextCell(FieldType::Float).numbers.push_back(value); }

void DataPacket::appendDateTime(TDateTime value) {
  nextCell(FieldType::DateTime).numbers.push_back(value.value);
}

void DataPacket::appendInteger(std::int64_t value) {
  if (filled_ < columns_.size()) cells::CheckIntegerFits(value, columns_[filled_]);
  Column& c = nextCell(FieldType::Integer);
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
  if (wire_) throw EPacketError("Pacote já codificado não recebe linhas");
  cells::CheckComplete(filled_, columns_);
}

void DataPacket::endRow() {
  if (delta_) throw EPacketError("Linha de um pacote de alterações sem o tipo da alteração");
  checkRowComplete();
  filled_ = 0;
  ++rows_;
}

// The original value as a cell of column `col` would keep it; raises when it does not fit.
Variant DataPacket::checkedOriginal(std::size_t col, const Variant& value) const {
  const ColumnDef& column = columns_[col];
  bool fits = false;
  switch (value.kind()) {
    case Variant::Kind::Empty:
    case Variant::Kind::Null: return Variant::Null();
    case Variant::Kind::Bool: fits = column.type == FieldType::Boolean; break;
    case Variant::Kind::Integer:
      if (column.type == FieldType::Float && cells::ExactInDouble(value.asInteger()))
        return Variant(value.asDouble());
      fits = column.type == FieldType::Integer;
      break;
    case Variant::Kind::Double: fits = column.type == FieldType::Float; break;
    case Variant::Kind::String: fits = column.type == FieldType::String; break;
    case Variant::Kind::DateTime: fits = column.type == FieldType::DateTime; break;
    case Variant::Kind::Array:
    case Variant::Kind::Packet: break;
  }
  if (!fits)
    throw EPacketError(std::string("Valor original ") + Variant::KindName(value.kind()) +
                       " na coluna " + column.name + " do tipo " + FieldTypeName(column.type));
  return value;
}

void DataPacket::endDeltaRow(ChangeKind kind, std::vector<Variant> original) {
  if (!delta_) throw EPacketError("Tipo de alteração numa linha de um pacote de dados comum");
  checkRowComplete();
  if (kind != ChangeKind::Inserted && kind != ChangeKind::Modified && kind != ChangeKind::Deleted)
    throw EPacketError("Tipo de alteração desconhecido: " + std::to_string(int(kind)));
  bool needsOriginal = kind != ChangeKind::Inserted;
  if (needsOriginal ? original.size() != columns_.size() : !original.empty())
    throw EPacketError("Valores originais de uma linha alterada não correspondem às colunas");
  for (std::size_t col = 0; col < original.size(); ++col)
    original[col] = checkedOriginal(col, original[col]);
  changes_.push_back(RowChange{kind, std::move(original)});
  filled_ = 0;
  ++rows_;
}

void DataPacket::appendRow(const std::vector<Variant>& values) {
  if (values.size() != columns_.size())
    throw EPacketError("Linha com " + std::to_string(values.size()) + " células para " +
                       std::to_string(columns_.size()) + " colunas");
  if (filled_ != 0) throw EPacketError("Linha anterior incompleta");
  try {
    for (const Variant& v : values) appendValue(v);
    endRow();
  } catch (...) {
    discardRow();
    throw;
  }
}

void DataPacket::discardRow() noexcept {
  for (std::size_t col = 0; col < filled_; ++col) {
    Column& c = data_[col];
    c.nulls.pop_back();
    switch (columns_[col].type) {
      case FieldType::String:
        c.ends.pop_back();
        c.chars.resize(c.ends.empty() ? 0 : c.ends.back());
        break;
      case FieldType::Float:
      case FieldType::DateTime: c.numbers.pop_back(); break;
      case FieldType::Integer:
      case FieldType::Boolean: c.integers.pop_back(); break;
    }
  }
  filled_ = 0;
}

void DataPacket::shrinkToFit() {
  columns_.shrink_to_fit();
  changes_.shrink_to_fit();
  for (Column& c : data_) {
    c.nulls.shrink_to_fit();
    c.numbers.shrink_to_fit();
    c.integers.shrink_to_fit();
    c.chars.shrink_to_fit();
    c.ends.shrink_to_fit();
  }
}

std::size_t DataPacket::textBytes(std::size_t col) const {
  if (wire_) return resolved().textBytes(col);
  if (col >= columns_.size() || columns_[col].type != FieldType::String)
    throw EPacketError("Coluna " + std::to_string(col) + " não é texto");
  return data_[col].chars.size();
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
  total += changes_.capacity() * sizeof(RowChange);
  for (const RowChange& change : changes_) total += change.original.capacity() * sizeof(Variant);
  if (wire_) total += wire_->bytes.capacity();  // the decoded columns, if made, not counted
  return total;
}

bool operator==(const DataPacket& a, const DataPacket& b) {
  if (a.wire_ || b.wire_) return a.resolved() == b.resolved();
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
