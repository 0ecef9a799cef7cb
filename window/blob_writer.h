#pragma once
// Writes property blobs at compile time: entries back to back, each the key, one blank and
// the value in the fixed form of the key's type (Int32 4 bytes and a String's count 4
// bytes, both most significant first; Boolean 1 byte; Color red, green, blue). The key
// alone decides the type: a value of another type, or a key outside the key table, is
// refused, which in a constant expression is a compile error.

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string_view>

#include "framework/runtime/blob_keys.h"
#include "framework/runtime/color.h"

namespace window {

// One value as given to the writer, tagged with the type it was given as.
struct BlobValue {
  fw::BlobType type = fw::BlobType::Int32;
  int32_t int32 = 0;
  bool boolean = false;
  Color color{};
  std::string_view string;

  constexpr BlobValue() = default;
  constexpr BlobValue(int32_t v) : type(fw::BlobType::Int32), int32(v) {}             // NOLINT
  constexpr BlobValue(bool v) : type(fw::BlobType::Boolean), boolean(v) {}            // NOLINT
  constexpr BlobValue(Color v) : type(fw::BlobType::Color), color(v) {}               // NOLINT
  constexpr BlobValue(std::string_view v) : type(fw::BlobType::String), string(v) {}  // NOLINT
  // Without this a string literal would become a Boolean (pointer to bool wins over the
  // conversion to string_view).
  constexpr BlobValue(const char* v) : BlobValue(std::string_view(v)) {}  // NOLINT
};

struct BlobField {
  std::string_view key;
  BlobValue value;
};

// A blob's entries in order. Fixed capacity, so that lists can be built in constant
// expressions; the largest class has 37 keys.
class BlobFields {
 public:
  static constexpr std::size_t kCapacity = 40;

  constexpr BlobFields() = default;
  constexpr BlobFields(std::initializer_list<BlobField> fields) {
    for (const BlobField& f : fields) add(f.key, f.value);
  }

  constexpr BlobFields& add(std::string_view key, BlobValue value) {
    if (size_ == kCapacity) throw std::length_error("property blob: too many entries");
    fields_[size_++] = BlobField{key, value};
    return *this;
  }

  constexpr std::size_t size() const { return size_; }
  constexpr const BlobField* begin() const { return fields_.data(); }
  constexpr const BlobField* end() const { return fields_.data() + size_; }
  constexpr const BlobField& operator[](std::size_t i) const { return fields_[i]; }

 private:
  std::array<BlobField, kCapacity> fields_{};
  std::size_t size_ = 0;
};

namespace blob_detail {

constexpr bool isKeyText(std::string_view key) {
  if (key.empty() || key[0] < 'A' || key[0] > 'Z') return false;
  for (char c : key)
    if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))) return false;
  return true;
}

// Bytes of the value after the key's blank; refuses a key outside the key table and a
// value whose type is not the key's.
constexpr std::size_t valueWidth(const BlobField& field) {
  if (!isKeyText(field.key)) throw std::invalid_argument("property blob: malformed key");
  const auto type = fw::blobKeyType(field.key);
  if (!type) throw std::invalid_argument("property blob: key outside the key table");
  if (*type != field.value.type)
    throw std::invalid_argument("property blob: value of another type than its key");
  switch (*type) {
    case fw::BlobType::Int32:
      return 4;
    case fw::BlobType::Boolean:
      return 1;
    case fw::BlobType::Color:
      return 3;
    case fw::BlobType::String:
      return 4 + field.value.string.size();
  }
  throw std::invalid_argument("property blob: unknown value type");
}

template <std::size_t N>
constexpr void putInt32(std::array<uint8_t, N>& out, std::size_t& at, uint32_t v) {
  out[at++] = static_cast<uint8_t>(v >> 24);
  out[at++] = static_cast<uint8_t>(v >> 16);
  out[at++] = static_cast<uint8_t>(v >> 8);
  out[at++] = static_cast<uint8_t>(v);
}

}  // namespace blob_detail

// The byte length of the blob of these fields.
constexpr std::size_t blobSize(const BlobFields& fields) {
  std::size_t size = 0;
  for (const BlobField& f : fields) size += f.key.size() + 1 + blob_detail::valueWidth(f);
  return size;
}

// The blob of these fields; N must be blobSize(fields).
template <std::size_t N>
constexpr std::array<uint8_t, N> writeBlob(const BlobFields& fields) {
  if (blobSize(fields) != N) throw std::invalid_argument("property blob: wrong size given");
  std::array<uint8_t, N> out{};
  std::size_t at = 0;
  for (const BlobField& f : fields) {
    for (char c : f.key) out[at++] = static_cast<uint8_t>(c);
    out[at++] = ' ';
    const BlobValue& v = f.value;
    switch (v.type) {
      case fw::BlobType::Int32:
        blob_detail::putInt32(out, at, static_cast<uint32_t>(v.int32));
        break;
      case fw::BlobType::Boolean:
        out[at++] = v.boolean ? 1 : 0;
        break;
      case fw::BlobType::Color:
        out[at++] = v.color.red;
        out[at++] = v.color.green;
        out[at++] = v.color.blue;
        break;
      case fw::BlobType::String:
        blob_detail::putInt32(out, at, static_cast<uint32_t>(v.string.size()));
        for (char c : v.string) out[at++] = static_cast<uint8_t>(c);
        break;
    }
  }
  return out;
}

}  // namespace window
