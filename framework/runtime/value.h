#pragma once
// A boxed value: what property entries and introspection invokers pass around.

#include <cstdint>
#include <variant>

#include "framework/runtime/color.h"
#include "framework/runtime/object.h"
#include "framework/runtime/string.h"

using Value = std::variant<std::monostate, bool, int32_t, double, float, uint8_t, Color, String,
                           Ref<Object>>;

namespace fw {
// The value as T; a value of another type is a framework fault (IllegalCastException).
template <class T>
T unbox(const Value& v);
}  // namespace fw
