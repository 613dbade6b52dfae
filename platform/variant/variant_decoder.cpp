#include "platform/variant/variant_decoder.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <msgpack.hpp>
#include <string>
#include <vector>

#include "platform/variant/codec_wire.h"
#include "platform/variant/data_packet.h"
#include "platform/variant/decode_guard.h"
#include "platform/variant/packet_builder.h"

namespace platform::wire {
namespace {

// What the decoder charges for the heap of what it builds (DecodeLimits::maxDecodedBytes):
// an array holds a variant per item behind a shared block; a packet cell takes its
// null flag and an eight-byte value (a text cell its end offset instead, and its
// bytes); every text its bytes.
constexpr std::uint64_t kArrayBytes = 64;
constexpr std::uint64_t kPacketBytes = 256;
constexpr std::uint64_t kCellBytes = 9;

// The msgpack event visitor. Containers being built are kept on explicit stacks;
// `frames_` holds one entry per open container, innermost last.
class VariantDecoder {
 public:
  VariantDecoder(const DecodeLimits& limits, std::size_t available)
      : guard_(limits, available, false) {}

  bool ranOut() const noexcept { return ranOut_; }
  std::uint64_t decodedBytes() const noexcept { return guard_.charged(); }
  Variant take() { return std::move(root_); }

  bool visit_nil() {
    if (inRow()) return packets_.back().cellNull(), true;
    return deliver(Variant::Null());
  }
  bool visit_boolean(bool value) {
    if (inRow()) return packets_.back().cellBool(value), true;
    return deliver(Variant(value));
  }
  bool visit_positive_integer(std::uint64_t value) {
    if (value > static_cast<std::uint64_t>(std::numeric_limits<std::int64_t>::max()))
      Malformed("inteiro " + std::to_string(value) + " fora do intervalo de 64 bits");
    return visitInteger(static_cast<std::int64_t>(value));
  }
  bool visit_negative_integer(std::int64_t value) { return visitInteger(value); }
  bool visit_float32(float value) { return visit_float64(value); }
  bool visit_float64(double value) {
    if (!std::isfinite(value)) {
      if (inRow()) packets_.back().failInRow("número não finito");
      Malformed("número não finito");
    }
    if (inRow()) return packets_.back().cellFloat(value), true;
    return deliver(Variant(value));
  }
  bool visit_str(const char* data, std::uint32_t size);
  bool visit_bin(const char*, std::uint32_t) { Malformed("dados binários não são aceitos"); }
  bool visit_ext(const char* data, std::uint32_t size);

  bool start_array(std::uint32_t count);
  bool start_array_item() { return true; }
  bool end_array_item() { return true; }
  bool end_array();
  bool start_map(std::uint32_t count);
  bool start_map_key() { return packets_.back().expectKey(), true; }
  bool end_map_key() { return true; }
  bool start_map_value() { return packets_.back().expectValue(), true; }
  bool end_map_value() { return true; }
  bool end_map();

  void parse_error(std::size_t, std::size_t errorOffset) {
    Malformed("byte inválido na posição " + std::to_string(errorOffset));
  }
  void insufficient_bytes(std::size_t, std::size_t) { ranOut_ = true; }
  bool referenced() const { return false; }
  void set_referenced(bool) {}

 private:
  enum class Frame : std::uint8_t { Array, Packet, Rows, Row };

  bool inRow() const noexcept { return !frames_.empty() && frames_.back() == Frame::Row; }
  bool visitInteger(std::int64_t value) {
    if (inRow()) return packets_.back().cellInteger(value), true;
    return deliver(Variant(value));
  }
  bool deliver(Variant value);
  void enter(Frame frame);
  void refuseContainerIn(const char* what) const;

  DecodeGuard guard_;
  bool ranOut_ = false;

  std::vector<Frame> frames_;
  std::vector<Variant::Array> arrays_;   // one per open Array frame
  std::vector<PacketBuilder> packets_;   // one per open Packet frame
  Variant root_;
};

bool VariantDecoder::deliver(Variant value) {
  if (frames_.empty()) {
    root_ = std::move(value);
    return true;
  }
  switch (frames_.back()) {
    case Frame::Array: arrays_.back().push_back(std::move(value)); break;
    case Frame::Packet: packets_.back().setValue(std::move(value)); break;
    case Frame::Rows: Malformed("cada linha de rows deve ser uma lista de células");
    case Frame::Row: packets_.back().cellValue(value); break;
  }
  return true;
}

bool VariantDecoder::visit_str(const char* data, std::uint32_t size) {
  guard_.checkText(size);
  guard_.charge(size);
  std::string_view text(data, size);
  if (!IsValidUtf8(text)) {
    if (inRow()) packets_.back().failInRow("texto com UTF-8 inválido");
    Malformed("texto com UTF-8 inválido");
  }
  if (frames_.empty()) return deliver(Variant(text));
  switch (frames_.back()) {
    case Frame::Row: packets_.back().cellString(text); return true;
    case Frame::Packet:
      if (packets_.back().awaitingKey()) return packets_.back().setKey(text), true;
      break;
    default: break;
  }
  return deliver(Variant(text));
}

bool VariantDecoder::visit_ext(const char* data, std::uint32_t size) {
  // `data` starts with the type byte; `size` counts it.
  auto type = static_cast<std::int8_t>(data[0]);
  std::size_t payload = size - 1;
  if (type == kEmptyExt && payload == 0) return deliver(Variant());
  if (type == kDateTimeExt && payload == kDateTimePayload) {
    TDateTime value{LoadBigEndian64(data + 1)};
    if (!IsValidDateTime(value)) Malformed("data fora do intervalo de 01/01/0001 a 31/12/9999");
    return deliver(Variant(value));
  }
  Malformed("extensão de tipo " + std::to_string(type) + " com " + std::to_string(payload) +
            " bytes desconhecida");
}

void VariantDecoder::enter(Frame frame) {
  guard_.enter(frames_.size());
  frames_.push_back(frame);
}

void VariantDecoder::refuseContainerIn(const char* what) const {
  if (frames_.empty()) return;
  if (frames_.back() == Frame::Row) Malformed(std::string("uma célula não pode conter ") + what);
  if (frames_.back() == Frame::Packet && packets_.back().awaitingKey())
    Malformed("as chaves de um pacote devem ser texto");
}

bool VariantDecoder::start_array(std::uint32_t count) {
  refuseContainerIn("uma lista");
  if (!frames_.empty() && frames_.back() == Frame::Rows) {
    // Cells of a streamed row were claimed with its rows.
    packets_.back().beginRow(count);
    enter(Frame::Row);
    return true;
  }
  bool streamRows = !frames_.empty() && frames_.back() == Frame::Packet &&
                    packets_.back().entry() == PacketBuilder::Entry::Rows &&
                    packets_.back().canStreamRows();
  if (streamRows) {
    std::uint64_t perRow = 1 + packets_.back().columnCount();
    if (count != 0 && perRow > std::numeric_limits<std::uint64_t>::max() / count)
      OverLimit("contagem de elementos impossível");
    guard_.claim(count * perRow);
    guard_.charge(count * packets_.back().columnCount() * kCellBytes);
    enter(Frame::Rows);
    packets_.back().beginRows(count);
    return true;
  }
  guard_.claim(count);
  guard_.charge(kArrayBytes + std::uint64_t{count} * sizeof(Variant));
  enter(Frame::Array);
  arrays_.emplace_back().reserve(count);
  return true;
}

bool VariantDecoder::end_array() {
  Frame frame = frames_.back();
  frames_.pop_back();
  switch (frame) {
    case Frame::Row: packets_.back().endRow(); return true;
    case Frame::Rows: packets_.back().endRows(); return true;
    case Frame::Array: break;
    case Frame::Packet: Malformed("fim de lista dentro de um pacote");
  }
  Variant value(std::move(arrays_.back()));
  arrays_.pop_back();
  return deliver(std::move(value));
}

bool VariantDecoder::start_map(std::uint32_t count) {
  refuseContainerIn("um pacote");
  if (!frames_.empty() && frames_.back() == Frame::Rows)
    Malformed("cada linha de rows deve ser uma lista de células");
  PacketBuilder packet(count);  // refuses a map of the wrong shape before its count
  guard_.claim(2ull * count);
  guard_.charge(kPacketBytes);
  enter(Frame::Packet);
  packets_.push_back(std::move(packet));
  return true;
}

bool VariantDecoder::end_map() {
  std::shared_ptr<const DataPacket> packet = packets_.back().finish();
  packets_.pop_back();
  frames_.pop_back();
  return deliver(Variant(std::move(packet)));
}

}  // namespace

Variant DecodeWholeValue(std::string_view bytes, const DecodeLimits& limits, std::size_t* decodedBytes) {
  VariantDecoder decoder(limits, bytes.size());
  std::size_t offset = 0;
  bool done;
  try {
    done = msgpack::parse(bytes.data(), bytes.size(), offset, decoder);
  } catch (const msgpack::unpack_error& e) {
    Malformed(e.what());
  }
  if (done) {
    if (offset != bytes.size())
      Malformed(std::to_string(bytes.size() - offset) + " bytes sobrando após o valor");
    if (decodedBytes) *decodedBytes = static_cast<std::size_t>(decoder.decodedBytes());
    return decoder.take();
  }
  if (!decoder.ranOut()) Malformed("leitura interrompida");
  Incomplete("o valor termina depois dos " + std::to_string(bytes.size()) + " bytes recebidos");
}

}  // namespace platform::wire
