#pragma once
// The keys a property blob may hold and the type of each: a key has the same type in
// every blob and every class, and the type alone fixes the width of the value.

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace fw {

enum class BlobType : uint8_t {
  Int32,    // 4 bytes, two's complement, most significant first
  Boolean,  // 1 byte, 0 or 1
  Color,    // 3 bytes: red, green, blue
  String,   // 4-byte count (most significant first), then that many bytes
};

struct BlobKey {
  std::string_view name;
  BlobType type;
};

// name                type
inline constexpr BlobKey kBlobKeys[] = {
    {"Placement", BlobType::Int32},        {"Width", BlobType::Int32},
    {"Height", BlobType::Int32},           {"MinWidth", BlobType::Int32},
    {"MinHeight", BlobType::Int32},        {"MaxWidth", BlobType::Int32},
    {"MaxHeight", BlobType::Int32},        {"Frame", BlobType::Int32},
    {"MacProcID", BlobType::Int32},        {"Index", BlobType::Int32},
    {"Left", BlobType::Int32},             {"Top", BlobType::Int32},
    {"TabPanelIndex", BlobType::Int32},    {"TabIndex", BlobType::Int32},
    {"Minimum", BlobType::Int32},          {"Value", BlobType::Int32},
    {"Maximum", BlobType::Int32},          {"LineStep", BlobType::Int32},
    {"PageStep", BlobType::Int32},         {"TickStyle", BlobType::Int32},
    {"BorderWidth", BlobType::Int32},      {"LimitText", BlobType::Int32},
    {"Alignment", BlobType::Int32},        {"ListIndex", BlobType::Int32},
    {"Instrument", BlobType::Int32},       {"Mode", BlobType::Int32},
    {"Period", BlobType::Int32},

    {"Composite", BlobType::Boolean},      {"HasBackColor", BlobType::Boolean},
    {"Visible", BlobType::Boolean},        {"FullScreen", BlobType::Boolean},
    {"MenuBarVisible", BlobType::Boolean}, {"CloseButton", BlobType::Boolean},
    {"Resizeable", BlobType::Boolean},     {"LiveResize", BlobType::Boolean},
    {"MaximizeButton", BlobType::Boolean}, {"MinimizeButton", BlobType::Boolean},
    {"LockLeft", BlobType::Boolean},       {"LockTop", BlobType::Boolean},
    {"LockRight", BlobType::Boolean},      {"LockBottom", BlobType::Boolean},
    {"TabStop", BlobType::Boolean},        {"Enabled", BlobType::Boolean},
    {"AutoDeactivate", BlobType::Boolean}, {"LiveScroll", BlobType::Boolean},
    {"Border", BlobType::Boolean},         {"Password", BlobType::Boolean},
    {"UseFocusRing", BlobType::Boolean},   {"Bold", BlobType::Boolean},
    {"Italic", BlobType::Boolean},         {"Underline", BlobType::Boolean},
    {"ReadOnly", BlobType::Boolean},       {"AcceptTabs", BlobType::Boolean},
    {"Default", BlobType::Boolean},        {"Cancel", BlobType::Boolean},

    {"BackColor", BlobType::Color},        {"FillColor", BlobType::Color},
    {"BorderColor", BlobType::Color},      {"TextColor", BlobType::Color},

    {"Title", BlobType::String},           {"Name", BlobType::String},
    {"HelpTag", BlobType::String},         {"InitialParent", BlobType::String},
    {"Format", BlobType::String},          {"TextFont", BlobType::String},
    {"CueText", BlobType::String},         {"Text", BlobType::String},
    {"Mask", BlobType::String},            {"DataSource", BlobType::String},
    {"DataField", BlobType::String},       {"InitialValue", BlobType::String},
    {"Caption", BlobType::String},
};

inline constexpr std::size_t kBlobKeyCount = std::size(kBlobKeys);

constexpr std::optional<BlobType> blobKeyType(std::string_view key) {
  for (const auto& k : kBlobKeys)
    if (k.name == key) return k.type;
  return std::nullopt;
}

// The property type code that holds a value of the blob type.
constexpr std::string_view typeCodeOf(BlobType type) {
  switch (type) {
    case BlobType::Int32: return "i4";
    case BlobType::Boolean: return "b";
    case BlobType::Color: return "c";
    case BlobType::String: return "s";
  }
  return "";
}

// Keys that belong to the blob format but to no class: read at their width and dropped.
constexpr bool blobKeyDeclaredByNoClass(std::string_view key) { return key == "MacProcID"; }

}  // namespace fw
