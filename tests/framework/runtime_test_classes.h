#pragma once
// Helpers shared by the runtime tests: a builder of property blobs and a small class whose
// settable properties cover the four blob value types.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "framework/runtime/class_table.h"
#include "framework/runtime/color.h"
#include "framework/runtime/string.h"

namespace runtime_test {

// Writes entries the way the blob format lays them out: key, one blank, value.
class BlobBuilder {
 public:
  BlobBuilder& key(std::string_view k) {
    bytes_.insert(bytes_.end(), k.begin(), k.end());
    bytes_.push_back(' ');
    return *this;
  }
  BlobBuilder& int32(int32_t v) {
    auto u = static_cast<uint32_t>(v);
    for (int shift = 24; shift >= 0; shift -= 8) bytes_.push_back(static_cast<uint8_t>(u >> shift));
    return *this;
  }
  BlobBuilder& boolean(bool v) { return raw({static_cast<uint8_t>(v ? 1 : 0)}); }
  BlobBuilder& color(Color c) { return raw({c.red, c.green, c.blue}); }
  BlobBuilder& string(std::string_view text) {
    int32(static_cast<int32_t>(text.size()));
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    return *this;
  }
  BlobBuilder& raw(std::initializer_list<uint8_t> b) {
    bytes_.insert(bytes_.end(), b.begin(), b.end());
    return *this;
  }

  std::size_t size() const { return bytes_.size(); }
  const std::vector<uint8_t>& bytes() const { return bytes_; }
  String blob() const { return String::fromBytes(bytes_); }

 private:
  std::vector<uint8_t> bytes_;
};

// A test object with one property of each blob type, and a few more to tell them apart.
// Enabled is read-only (no setter); Width is a Boolean on purpose, to meet an Int32 key.
class Gadget : public Object {
 public:
  explicit Gadget(ClassTable* cls) : Object(cls) {}
  static ClassTable* __Lookup();

  String name;
  int32_t index = 7;
  int32_t maxWidth = 7;
  bool visible = false;
  bool widthFlag = false;
  Color backColor{1, 2, 3};
  String title = "untitled";
  String caption;
  String helpTag = "help";
  String initialValue;
  int32_t macProcId = 7;
};

// A subclass that declares MacProcID, so the blob's class-less key reaches a property.
class ProcGadget : public Gadget {
 public:
  using Gadget::Gadget;
  static ClassTable* __Lookup();
};

// The class pair of the class-table tests: Derived (4 method slots, slot 3 empty)
// inherits from Base, which implements the interface Drawable. Plain Object instances.
ClassTable* baseClass();
ClassTable* derivedClass();
ClassTable* drawableInterface();

}  // namespace runtime_test
