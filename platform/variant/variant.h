#pragma once
// Variant: a dynamically typed value as remote calls and data packets carry it.
//
// Empty (never assigned) and Null (no value) are distinct kinds, and Null is distinct
// from the empty string. Arrays and data packets are immutable and shared: copying a
// variant that holds one copies a reference.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/text/date_time.h"

namespace platform {

class DataPacket;

class Variant {
 public:
  enum class Kind : std::uint8_t { Empty, Null, Bool, Integer, Double, String, DateTime, Array, Packet };
  using Array = std::vector<Variant>;

  Variant() = default;  // Empty
  static Variant Null();
  Variant(bool value) : v_(value) {}
  Variant(int value) : v_(std::int64_t{value}) {}
  Variant(std::int64_t value) : v_(value) {}
  Variant(double value) : v_(value) {}
  Variant(const char* value) : v_(std::string(value)) {}
  Variant(std::string value) : v_(std::move(value)) {}
  Variant(std::string_view value) : v_(std::string(value)) {}
  Variant(TDateTime value) : v_(value) {}
  Variant(Array values);
  Variant(std::shared_ptr<const DataPacket> packet);

  Kind kind() const noexcept { return static_cast<Kind>(v_.index()); }
  bool isEmpty() const noexcept { return kind() == Kind::Empty; }
  bool isNull() const noexcept { return kind() == Kind::Null; }
  // Empty or Null: holds no value.
  bool isBlank() const noexcept { return isEmpty() || isNull(); }

  // Strict readers: raise EVariantError when the variant holds another kind.
  // asDouble also reads an Integer; asInteger does not read a Double.
  bool asBool() const;
  std::int64_t asInteger() const;
  double asDouble() const;
  const std::string& asString() const;
  TDateTime asDateTime() const;
  const Array& asArray() const;
  const DataPacket& asPacket() const;
  std::shared_ptr<const DataPacket> packetPtr() const;

  // The value as text, the way the application shows it: "" for Empty and Null,
  // "True"/"False", numbers with the decimal comma, dates as dd/mm/yyyy [hh:nn:ss],
  // arrays and packets raise EVariantError.
  std::string toString() const;

  // Deep equality: same kind and same value (packets compared cell by cell).
  friend bool operator==(const Variant& a, const Variant& b);

  static const char* KindName(Kind kind) noexcept;

 private:
  struct NullTag {
    friend bool operator==(NullTag, NullTag) { return true; }
  };
  std::variant<std::monostate, NullTag, bool, std::int64_t, double, std::string, TDateTime,
               std::shared_ptr<const Array>, std::shared_ptr<const DataPacket>>
      v_;
};

// Shorthand for building arrays: VarArrayOf({Variant("a"), Variant(1)}).
inline Variant VarArrayOf(Variant::Array values) { return Variant(std::move(values)); }

}  // namespace platform
