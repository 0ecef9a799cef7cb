#pragma once
// Lists in the lines said to the user: "a, b or c".

#include <string>
#include <vector>

namespace fw {

// The items separated by ", ", the last two by `last` (" or ", " and ").
inline std::string joined(const std::vector<std::string>& items, const char* last) {
  std::string text;
  for (size_t i = 0; i < items.size(); ++i) {
    if (i > 0) text += i + 1 == items.size() ? last : ", ";
    text += items[i];
  }
  return text;
}

}  // namespace fw
