#pragma once
// The framework's Int32 arithmetic: results wrap modulo 2^32, as the original runtime's
// 32-bit integers did, instead of overflowing (undefined behaviour in C++). Handlers use
// these wherever a sum or product of Int32 values could pass the type's range.

#include <cstdint>

namespace fw {

constexpr int32_t int32Add(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<int64_t>(a) + b);
}

constexpr int32_t int32Sub(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<int64_t>(a) - b);
}

constexpr int32_t int32Mul(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<int64_t>(a) * b);
}

}  // namespace fw
