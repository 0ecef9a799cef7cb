#pragma once
// The reader of property blobs: entries back to back, each a key (ASCII letters), one
// blank, and a value whose width follows from the key's type alone.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "framework/runtime/object.h"
#include "framework/runtime/string.h"
#include "framework/runtime/value.h"

namespace fw {

struct BlobEntry {
  std::string key;
  Value value;
  std::size_t offset;  // byte offset of the key in the blob
};

// Decodes the whole blob without touching any object. A key outside the key table, a blob
// that ends inside a key or a value, or a String count that runs past the end raises
// UnsupportedFormatException naming the key and the byte offset; nothing is read outside
// the blob.
std::vector<BlobEntry> readBlob(std::span<const uint8_t> blob);

}  // namespace fw

// Sets each property named in the blob on the object, through its class's property
// table (inherited entries included), in blob order. The blob is decoded in full first,
// so a malformed blob changes nothing. A key the class has no property for, a property
// without a setter, or a value of another type than the property's raises
// UnsupportedFormatException naming the key and the byte offset; the keys that belong to
// no class are skipped. An exception from a property's own setter passes on as it is.
void _SetProperties(Object* object, const String& blob);
