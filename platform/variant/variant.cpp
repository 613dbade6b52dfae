#include "platform/variant/variant.h"

#include <charconv>
#include <cmath>

#include "platform/core/exceptions.h"
#include "platform/variant/data_packet.h"

namespace platform {

Variant Variant::Null() {
  Variant v;
  v.v_ = NullTag{};
  return v;
}

Variant::Variant(Array values) : v_(std::make_shared<const Array>(std::move(values))) {}

Variant::Variant(std::shared_ptr<const DataPacket> packet) : v_(std::move(packet)) {
  if (!std::get<std::shared_ptr<const DataPacket>>(v_)) throw EVariantError("Pacote de dados nulo");
}

const char* Variant::KindName(Kind kind) noexcept {
  switch (kind) {
    case Kind::Empty: return "Empty";
    case Kind::Null: return "Null";
    case Kind::Bool: return "Bool";
    case Kind::Integer: return "Integer";
    case Kind::Double: return "Double";
    case Kind::String: return "String";
    case Kind::DateTime: return "DateTime";
    case Kind::Array: return "Array";
    case Kind::Packet: return "Packet";
  }
  return "?";
}

namespace {
[[noreturn]] void WrongKind(Variant::Kind held, const char* wanted) {
  throw EVariantError(std::string("Variant of kind ") + Variant::KindName(held) +
                      " read as " + wanted);
}
}  // namespace

bool Variant::asBool() const {
  if (auto p = std::get_if<bool>(&v_)) return *p;
  WrongKind(kind(), "Bool");
}

std::int64_t Variant::asInteger() const {
  if (auto p = std::get_if<std::int64_t>(&v_)) return *p;
  WrongKind(kind(), "Integer");
}

double Variant::asDouble() const {
  if (auto p = std::get_if<double>(&v_)) return *p;
  if (auto p = std::get_if<std::int64_t>(&v_)) return static_cast<double>(*p);
  WrongKind(kind(), "Double");
}

const std::string& Variant::asString() const {
  if (auto p = std::get_if<std::string>(&v_)) return *p;
  WrongKind(kind(), "String");
}

TDateTime Variant::asDateTime() const {
  if (auto p = std::get_if<TDateTime>(&v_)) return *p;
  WrongKind(kind(), "DateTime");
}

const Variant::Array& Variant::asArray() const {
  if (auto p = std::get_if<std::shared_ptr<const Array>>(&v_)) return **p;
  WrongKind(kind(), "Array");
}

const DataPacket& Variant::asPacket() const { return *packetPtr(); }

std::shared_ptr<const DataPacket> Variant::packetPtr() const {
  if (auto p = std::get_if<std::shared_ptr<const DataPacket>>(&v_)) return *p;
  WrongKind(kind(), "Packet");
}

std::string Variant::toString() const {
  switch (kind()) {
    case Kind::Empty:
    case Kind::Null: return "";
    case Kind::Bool: return asBool() ? "True" : "False";
    case Kind::Integer: return std::to_string(asInteger());
    case Kind::Double: {
      char buf[64];
      auto [end, ec] = std::to_chars(buf, buf + sizeof buf, asDouble());
      std::string text(buf, end);
      for (char& c : text)
        if (c == '.') c = ',';
      return text;
    }
    case Kind::String: return asString();
    case Kind::DateTime: return DateTimeToStr(asDateTime());
    case Kind::Array:
    case Kind::Packet: break;
  }
  WrongKind(kind(), "String");
}

bool operator==(const Variant& a, const Variant& b) {
  if (a.kind() != b.kind()) return false;
  switch (a.kind()) {
    case Variant::Kind::Array: {
      const auto& x = a.asArray();
      const auto& y = b.asArray();
      return &x == &y || x == y;
    }
    case Variant::Kind::Packet: {
      const auto& x = a.asPacket();
      const auto& y = b.asPacket();
      return &x == &y || x == y;
    }
    case Variant::Kind::Double: {
      // Bitwise-equal NaNs count as equal so packets holding them compare equal.
      double x = a.asDouble(), y = b.asDouble();
      return x == y || (std::isnan(x) && std::isnan(y));
    }
    default: return a.v_ == b.v_;
  }
}

}  // namespace platform
