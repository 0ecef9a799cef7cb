#include "framework/runtime/blob_reader.h"

#include <array>

#include "framework/runtime/blob_keys.h"
#include "framework/runtime/class_table.h"
#include "framework/runtime/exceptions.h"

namespace fw {
namespace {

[[noreturn]] void bad(const std::string& what, std::string_view key, std::size_t offset) {
  std::string msg = "property blob: " + what;
  if (!key.empty()) msg += " (key \"" + std::string(key) + "\")";
  msg += " at byte " + std::to_string(offset);
  throw UnsupportedFormatException(msg);
}

uint32_t bigEndian32(std::span<const uint8_t> b, std::size_t at) {
  return (uint32_t{b[at]} << 24) | (uint32_t{b[at + 1]} << 16) | (uint32_t{b[at + 2]} << 8) |
         uint32_t{b[at + 3]};
}

std::string hexByte(uint8_t c) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  return {'0', 'x', kDigits[c >> 4], kDigits[c & 0xF]};
}

// The property type code of a value read from a blob.
std::string_view valueTypeCode(const Value& v) {
  if (std::holds_alternative<int32_t>(v)) return "i4";
  if (std::holds_alternative<bool>(v)) return "b";
  if (std::holds_alternative<Color>(v)) return "c";
  return "s";
}

// Property types a blob value can set directly. A property of another code (an
// enumeration stored as Int32, say) is left to its own setter to accept or refuse.
bool isBlobTypeCode(std::string_view code) {
  constexpr std::array<std::string_view, 4> kCodes = {"i4", "b", "c", "s"};
  for (auto c : kCodes)
    if (c == code) return true;
  return false;
}

}  // namespace

std::vector<BlobEntry> readBlob(std::span<const uint8_t> blob) {
  std::vector<BlobEntry> entries;
  std::size_t at = 0;
  while (at < blob.size()) {
    const std::size_t keyStart = at;
    auto keySoFar = [&] {
      return std::string_view(reinterpret_cast<const char*>(blob.data() + keyStart), at - keyStart);
    };
    while (at < blob.size() && blob[at] != ' ') {
      uint8_t c = blob[at];
      bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
      if (!letter) bad("a key holds the byte " + hexByte(c) + ", not a letter", keySoFar(), at);
      ++at;
    }
    std::string key(keySoFar());
    if (at >= blob.size()) bad("the blob ends inside a key", key, keyStart);
    if (key.empty()) bad("an entry has an empty key", key, keyStart);
    ++at;  // the blank that ends the key

    auto type = blobKeyType(key);
    if (!type) bad("unknown key", key, keyStart);
    auto need = [&](std::size_t n) {
      if (blob.size() - at < n) bad("the blob ends inside a value", key, at);
    };
    Value value;
    switch (*type) {
      case BlobType::Int32:
        need(4);
        value = static_cast<int32_t>(bigEndian32(blob, at));
        at += 4;
        break;
      case BlobType::Boolean:
        need(1);
        if (blob[at] > 1) bad("a Boolean value is " + hexByte(blob[at]) + ", not 0 or 1", key, at);
        value = blob[at] == 1;
        at += 1;
        break;
      case BlobType::Color:
        need(3);
        value = Color{blob[at], blob[at + 1], blob[at + 2]};
        at += 3;
        break;
      case BlobType::String: {
        need(4);
        const std::size_t count = bigEndian32(blob, at);
        if (blob.size() - at - 4 < count)
          bad("a String count of " + std::to_string(count) + " runs past the end", key, at);
        at += 4;
        value = String::fromBytes(blob.subspan(at, count));
        at += count;
        break;
      }
    }
    entries.push_back(BlobEntry{std::move(key), std::move(value), keyStart});
  }
  return entries;
}

}  // namespace fw

void _SetProperties(Object* object, const String& blob) {
  if (object == nullptr) RaiseNilObjectException();
  const auto entries = fw::readBlob(blob.bytes());
  const ClassTable* cls = object->classTable();
  auto refuse = [&](const fw::BlobEntry& e, const std::string& why) {
    throw UnsupportedFormatException("property blob: " + why + " (key \"" + e.key + "\", class " +
                                     cls->name.str() + ") at byte " + std::to_string(e.offset));
  };
  // Every key must find a property that takes its value before any is set, so a bad blob
  // changes nothing.
  std::vector<const PropertyEntry*> targets;
  for (const auto& e : entries) {
    const PropertyEntry* p = fw::findProperty(cls, e.key);
    if (p == nullptr && !fw::blobKeyDeclaredByNoClass(e.key))
      refuse(e, "the class has no such property");
    if (p != nullptr && p->set == nullptr) refuse(e, "the property cannot be set");
    if (p != nullptr && fw::isBlobTypeCode(p->typeCode.view()) &&
        p->typeCode.view() != fw::valueTypeCode(e.value))
      refuse(e, "the property is of type " + p->typeCode.str() + ", the value is not");
    targets.push_back(p);
  }
  for (std::size_t i = 0; i < entries.size(); ++i)
    if (targets[i]) targets[i]->set(object, entries[i].value);
}
