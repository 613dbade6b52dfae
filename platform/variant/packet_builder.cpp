#include "platform/variant/packet_builder.h"

#include <climits>
#include <string>

#include "platform/variant/codec_wire.h"

namespace platform::wire {
namespace {

unsigned Bit(PacketBuilder::Entry entry) { return 1u << static_cast<unsigned>(entry); }

std::string Quoted(std::string_view text) {
  constexpr std::size_t kShown = 40;
  return "\"" + std::string(text.substr(0, kShown)) + (text.size() > kShown ? "...\"" : "\"");
}

bool IsIntegerIn(const Variant& value, std::int64_t low, std::int64_t high) {
  return value.kind() == Variant::Kind::Integer && value.asInteger() >= low &&
         value.asInteger() <= high;
}

ColumnDef ParseColumn(const Variant& column, std::size_t index) {
  const std::string where = "coluna " + std::to_string(index + 1);
  if (column.kind() != Variant::Kind::Array || column.asArray().size() != kColumnFields)
    Malformed(where + " deve ser [nome, tipo, tamanho]");
  const Variant::Array& fields = column.asArray();
  if (fields[0].kind() != Variant::Kind::String) Malformed("o nome da " + where + " deve ser texto");
  const std::string& name = fields[0].asString();
  if (!IsIntegerIn(fields[1], 0, static_cast<std::int64_t>(FieldType::Boolean)))
    Malformed("tipo desconhecido na coluna " + name);
  if (!IsIntegerIn(fields[2], 0, INT_MAX)) Malformed("tamanho inválido na coluna " + name);
  return ColumnDef{name, static_cast<FieldType>(fields[1].asInteger()),
                   static_cast<int>(fields[2].asInteger())};
}

}  // namespace

void CheckPacketEntries(std::uint32_t entries) {
  if (entries != kPacketEntries && entries != kDeltaPacketEntries)
    Malformed("um pacote tem as chaves columns e rows, e changes se for de alterações; recebidas " +
              std::to_string(entries) + " chaves");
}

PacketBuilder::PacketBuilder(std::uint32_t entries) : delta_(entries == kDeltaPacketEntries) {
  CheckPacketEntries(entries);
}

void PacketBuilder::setKey(std::string_view key) {
  Entry entry = key == kColumnsKey   ? Entry::Columns
                : key == kRowsKey    ? Entry::Rows
                : key == kChangesKey ? Entry::Changes
                                     : Entry::None;
  if (entry == Entry::None) Malformed("chave desconhecida " + Quoted(key));
  if (entry == Entry::Changes && !delta_)
    Malformed("chave \"changes\" num pacote de 2 chaves (faltam columns ou rows)");
  if (seen_ & Bit(entry)) Malformed("chave " + Quoted(key) + " repetida");
  seen_ |= Bit(entry);
  entry_ = entry;
}

void PacketBuilder::setValue(Variant value) {
  if (awaitingKey_) Malformed("as chaves de um pacote devem ser texto");
  switch (entry_) {
    case Entry::Columns:
      columns_ = std::move(value);
      startPacket();
      return;
    case Entry::Rows: rows_ = std::move(value); return;
    case Entry::Changes: changes_ = std::move(value); return;
    case Entry::None: break;
  }
  Malformed("valor sem chave");
}

bool PacketBuilder::canStreamRows() const noexcept {
  return packet_.has_value() && (!delta_ || (seen_ & Bit(Entry::Changes)));
}

void PacketBuilder::startPacket() {
  if (columns_.kind() != Variant::Kind::Array) Malformed("columns deve ser uma lista");
  const Variant::Array& list = columns_.asArray();
  std::vector<ColumnDef> defs;
  defs.reserve(list.size());
  for (std::size_t i = 0; i < list.size(); ++i) defs.push_back(ParseColumn(list[i], i));
  packet_.emplace(delta_ ? DataPacket::Delta(std::move(defs)) : DataPacket(std::move(defs)));
  columns_ = Variant();
}

void PacketBuilder::parseChanges() {
  if (changes_.kind() != Variant::Kind::Array) Malformed("changes deve ser uma lista");
  const Variant::Array& list = changes_.asArray();
  parsedChanges_.reserve(list.size());
  for (std::size_t i = 0; i < list.size(); ++i) {
    const std::string where = "alteração da linha " + std::to_string(i + 1);
    const Variant& change = list[i];
    if (change.kind() != Variant::Kind::Array || change.asArray().size() != kChangeFields)
      Malformed(where + " deve ser [tipo, valores originais]");
    const Variant::Array& fields = change.asArray();
    if (!IsIntegerIn(fields[0], static_cast<int>(ChangeKind::Inserted),
                     static_cast<int>(ChangeKind::Deleted)))
      Malformed("tipo de alteração desconhecido na " + where);
    auto kind = static_cast<ChangeKind>(fields[0].asInteger());
    const Variant& original = fields[1];
    if (kind == ChangeKind::Inserted) {
      if (!original.isNull()) Malformed(where + ": linha inserida não tem valores originais");
      parsedChanges_.push_back(Change{kind, {}});
    } else {
      if (original.kind() != Variant::Kind::Array || original.asArray().size() != columnCount())
        Malformed(where + ": valores originais devem ser uma lista com um valor por coluna");
      parsedChanges_.push_back(Change{kind, original.asArray()});
    }
  }
  changes_ = Variant();
}

void PacketBuilder::beginRows(std::size_t rows) {
  if (delta_) {
    parseChanges();
    if (parsedChanges_.size() != rows)
      Malformed("changes tem " + std::to_string(parsedChanges_.size()) + " entradas para " +
                std::to_string(rows) + " linhas");
  }
  packet_->reserve(rows);
  rowsStreamed_ = true;
}

void PacketBuilder::failInRow(const std::string& detail) const {
  Malformed("linha " + std::to_string(packet_->rowCount() + 1) + ": " + detail);
}

void PacketBuilder::beginRow(std::size_t cells) {
  if (cells != columnCount())
    failInRow(std::to_string(cells) + " células para " + std::to_string(columnCount()) +
              " colunas");
}

template <typename Append>
void PacketBuilder::appendCell(Append append) {
  try {
    append(*packet_);
  } catch (const EPacketError& e) {
    failInRow(e.what());
  }
}

void PacketBuilder::cellNull() {
  appendCell([](DataPacket& p) { p.appendNull(); });
}
void PacketBuilder::cellString(std::string_view text) {
  appendCell([text](DataPacket& p) { p.appendString(text); });
}
void PacketBuilder::cellFloat(double value) {
  appendCell([value](DataPacket& p) { p.appendFloat(value); });
}
void PacketBuilder::cellInteger(std::int64_t value) {
  appendCell([value](DataPacket& p) { p.appendInteger(value); });
}
void PacketBuilder::cellBool(bool value) {
  appendCell([value](DataPacket& p) { p.appendBool(value); });
}
void PacketBuilder::cellValue(const Variant& value) {
  appendCell([&value](DataPacket& p) { p.appendValue(value); });
}

void PacketBuilder::endRow() {
  appendCell([this](DataPacket& p) {
    if (!delta_) return p.endRow();
    Change& change = parsedChanges_[p.rowCount()];
    p.endDeltaRow(change.kind, std::move(change.original));
  });
}

void PacketBuilder::endRows() {
  parsedChanges_.clear();
  parsedChanges_.shrink_to_fit();
}

void PacketBuilder::fillRows(const Variant& rows) {
  if (rows.kind() != Variant::Kind::Array) Malformed("rows deve ser uma lista");
  const Variant::Array& list = rows.asArray();
  beginRows(list.size());
  for (const Variant& row : list) {
    if (row.kind() != Variant::Kind::Array) failInRow("a linha deve ser uma lista de células");
    beginRow(row.asArray().size());
    for (const Variant& cell : row.asArray()) cellValue(cell);
    endRow();
  }
  endRows();
}

std::shared_ptr<const DataPacket> PacketBuilder::finish() {
  unsigned all = Bit(Entry::Columns) | Bit(Entry::Rows) | (delta_ ? Bit(Entry::Changes) : 0u);
  if (seen_ != all) Malformed("faltam chaves no pacote");
  if (!rowsStreamed_) {
    fillRows(rows_);
    rows_ = Variant();
  }
  // The packet usually becomes a dataset's storage for good: drop the growth slack.
  packet_->shrinkToFit();
  return std::make_shared<const DataPacket>(std::move(*packet_));
}

}  // namespace platform::wire
