// The two window methods the random phrase calls through the window's method table.

#include "phrase/triad_steps.h"

#include "window/velmo.h"

int32_t VELMO::Onpu(Object*, int32_t step, int32_t order, int32_t k) {
  return phrase::triadOffset(step, order, k);
}

// Called after every note of the phrase with the note's offset; it has nothing to do.
void VELMO::pxx(Object*, int32_t) {}
