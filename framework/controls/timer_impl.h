#pragma once
// The private part of a Timer. Included only by framework/controls sources.

#include <cstdint>
#include <vector>

#include "framework/controls/class_builder.h"
#include "framework/controls/controls.h"

class QTimer;

struct Timer::Impl {
  int32_t mode = 2;  // 0 off, 1 single, 2 multiple
  int32_t period = 1000;
  bool enabled = true;
  int32_t fired = 0;         // times "Action" was due, for the curious and the tests
  QTimer* qtimer = nullptr;  // made when first needed; runs only while someone listens
  std::vector<Ref<Object>> receivers;
  fw::build::PropertyBag bag;
};

namespace fw::controls {
// Starts or stops every timer of the process as its settings and listeners say: run when
// the start-up "Open" events have bound the handlers.
void rescheduleTimers();
// Whether the timer's Qt timer is running now.
bool timerScheduled(const Timer& t);
}  // namespace fw::controls
