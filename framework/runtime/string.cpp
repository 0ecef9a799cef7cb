#include "framework/runtime/string.h"

#include <cstdio>
#include <cstdlib>
#include <utility>

void RuntimeLockString(fw::StringData* s) {
  if (s != nullptr) ++s->references;
}

void RuntimeUnlockString(fw::StringData* s) {
  if (s == nullptr) return;
  if (s->references <= 0) {
    std::fputs("framework: a String was released more often than it was locked\n", stderr);
    std::abort();
  }
  if (--s->references == 0) delete s;
}

String::String(std::string_view text, uint32_t encoding)
    : d_(new fw::StringData{1, std::string(text), encoding}) {}

String String::fromBytes(std::span<const uint8_t> bytes, uint32_t encoding) {
  String s;
  s.d_ = new fw::StringData{1, std::string(bytes.begin(), bytes.end()), encoding};
  return s;
}

String::String(const String& other) : d_(other.d_) { RuntimeLockString(d_); }
String::String(String&& other) noexcept : d_(std::exchange(other.d_, nullptr)) {}
String& String::operator=(String other) noexcept {
  std::swap(d_, other.d_);
  return *this;
}
String::~String() { RuntimeUnlockString(d_); }

std::string_view String::view() const { return d_ ? std::string_view(d_->bytes) : std::string_view(); }

std::span<const uint8_t> String::bytes() const {
  auto v = view();
  return {reinterpret_cast<const uint8_t*>(v.data()), v.size()};
}

uint32_t String::encoding() const { return d_ ? d_->encoding : fw::kEncodingUTF8; }
