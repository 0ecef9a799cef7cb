#pragma once
// The 45 property blobs: the main window's and one per control of the control table, as
// constant bytes generated at compile time from the control table.

#include <cstddef>
#include <cstdint>
#include <span>

namespace window {

// The main window's blob, applied by VELMO.Layout.
std::span<const uint8_t> windowBlob();

// The blob of the control in that row (0..43, creation order); an empty span for a row
// outside the table.
std::span<const uint8_t> controlBlob(std::size_t row);

}  // namespace window
