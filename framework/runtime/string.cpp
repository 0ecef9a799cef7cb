#include "framework/runtime/string.h"

#include <cstdio>
#include <cstdlib>
#include <unordered_set>
#include <utility>

namespace {
// Every String record alive, so that a lock or release of a freed one is caught before it
// touches freed memory. Never destroyed: Strings held by statics are released at exit.
std::unordered_set<const fw::StringData*>& live() {
  static auto* records = new std::unordered_set<const fw::StringData*>;
  return *records;
}

[[noreturn]] void fatal(const char* what) {
  std::fprintf(stderr, "framework: %s\n", what);
  std::abort();
}

fw::StringData* newRecord(std::string bytes, uint32_t encoding) {
  auto* d = new fw::StringData{1, std::move(bytes), encoding};
  live().insert(d);
  return d;
}
}  // namespace

void RuntimeLockString(fw::StringData* s) {
  if (s == nullptr) return;
  if (live().count(s) == 0) fatal("a String was locked after it was freed");
  ++s->references;
}

void RuntimeUnlockString(fw::StringData* s) {
  if (s == nullptr) return;
  if (live().count(s) == 0 || s->references <= 0)
    fatal("a String was released more often than it was locked");
  if (--s->references > 0) return;
  live().erase(s);
  delete s;
}

namespace fw {
std::size_t liveStringCount() {
  return live().size();
}
}  // namespace fw

String::String(std::string_view text, uint32_t encoding)
    : d_(newRecord(std::string(text), encoding)) {}

String String::fromBytes(std::span<const uint8_t> bytes, uint32_t encoding) {
  String s;
  s.d_ = newRecord(std::string(bytes.begin(), bytes.end()), encoding);
  return s;
}

String::String(const String& other) : d_(other.d_) {
  RuntimeLockString(d_);
}
String::String(String&& other) noexcept : d_(std::exchange(other.d_, nullptr)) {}
String& String::operator=(String other) noexcept {
  std::swap(d_, other.d_);
  return *this;
}
String::~String() {
  RuntimeUnlockString(d_);
}

std::string_view String::view() const {
  return d_ ? std::string_view(d_->bytes) : std::string_view();
}

std::span<const uint8_t> String::bytes() const {
  auto v = view();
  return {reinterpret_cast<const uint8_t*>(v.data()), v.size()};
}

uint32_t String::encoding() const {
  return d_ ? d_->encoding : fw::kEncodingUTF8;
}
