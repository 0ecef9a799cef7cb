#include "framework/runtime/blob_reader.h"

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

}  // namespace

std::vector<BlobEntry> readBlob(std::span<const uint8_t> blob) {
  std::vector<BlobEntry> entries;
  std::size_t at = 0;
  while (at < blob.size()) {
    const std::size_t keyStart = at;
    while (at < blob.size() && blob[at] != ' ') {
      uint8_t c = blob[at];
      bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
      if (!letter) bad("a key holds a byte that is not a letter", {}, at);
      ++at;
    }
    std::string key(reinterpret_cast<const char*>(blob.data() + keyStart), at - keyStart);
    if (at >= blob.size()) bad("the blob ends inside a key", key, keyStart);
    if (key.empty()) bad("an entry has an empty key", key, keyStart);
    ++at;  // the blank that ends the key

    auto type = blobKeyType(key);
    if (!type) bad("unknown key", key, keyStart);
    auto need = [&](std::size_t n) {
      if (blob.size() - at < n) bad("the blob ends inside a value", key, keyStart);
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
        if (blob[at] > 1) bad("a Boolean value is neither 0 nor 1", key, keyStart);
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
        at += 4;
        if (blob.size() - at < count) bad("a String count runs past the end", key, keyStart);
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
  // Every key must find its property before any is set, so a bad blob changes nothing.
  std::vector<const PropertyEntry*> targets;
  for (const auto& e : entries) {
    const PropertyEntry* p = fw::findProperty(cls, e.key);
    if (p == nullptr && !fw::blobKeyDeclaredByNoClass(e.key))
      throw UnsupportedFormatException("property blob: the class " + cls->name.str() +
                                       " has no property \"" + e.key + "\" (byte " +
                                       std::to_string(e.offset) + ")");
    if (p != nullptr && p->set == nullptr)
      throw UnsupportedFormatException("property blob: the property \"" + e.key +
                                       "\" of " + cls->name.str() + " cannot be set (byte " +
                                       std::to_string(e.offset) + ")");
    targets.push_back(p);
  }
  for (std::size_t i = 0; i < entries.size(); ++i)
    if (targets[i]) targets[i]->set(object, entries[i].value);
}
