#pragma once
// The framework String: reference counted bytes with an explicit byte length and an
// encoding tag. It holds any byte, 0 included, and is never delimited by a terminator.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace fw {

// Number of String records alive now: tests compare it before and after to find leaks.
std::size_t liveStringCount();

inline constexpr uint32_t kEncodingUTF8 = 0x08000100;
inline constexpr uint32_t kEncodingASCII = 0x0600;

// The shared record behind a String. Its count is changed only through
// RuntimeLockString / RuntimeUnlockString (or a String handle, which calls them).
struct StringData {
  int32_t references = 1;
  std::string bytes;
  uint32_t encoding = kEncodingUTF8;
};

}  // namespace fw

// Takes one reference. Locking a record that was already freed is a programming fault,
// reported on standard error; the process stops.
void RuntimeLockString(fw::StringData* s);
// Releases one reference; the record is freed when none is left. An over-release is a
// programming fault: it is reported on standard error and the process stops.
void RuntimeUnlockString(fw::StringData* s);

// A counted handle on a StringData; an empty handle is the empty string.
class String {
 public:
  String() = default;
  String(std::string_view text,
         uint32_t encoding = fw::kEncodingUTF8);  // NOLINT: implicit by design
  String(const char* text) : String(std::string_view(text ? text : "")) {}  // NOLINT
  static String fromBytes(std::span<const uint8_t> bytes, uint32_t encoding = fw::kEncodingUTF8);

  String(const String& other);
  String(String&& other) noexcept;
  String& operator=(String other) noexcept;
  ~String();

  std::string_view view() const;
  std::span<const uint8_t> bytes() const;
  std::size_t size() const { return view().size(); }
  bool empty() const { return size() == 0; }
  uint32_t encoding() const;
  std::string str() const { return std::string(view()); }

  // The shared record, for code that counts references itself; null for an empty handle.
  fw::StringData* data() const { return d_; }

  friend bool operator==(const String& a, const String& b) { return a.view() == b.view(); }
  friend bool operator==(const String& a, std::string_view b) { return a.view() == b; }
  // An exact match for literals, which would otherwise convert to String and to
  // string_view alike and make `s == "x"` and `s != "x"` ambiguous.
  friend bool operator==(const String& a, const char* b) {
    return a.view() == std::string_view(b ? b : "");
  }

 private:
  fw::StringData* d_ = nullptr;
};
