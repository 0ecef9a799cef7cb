#include "pads/centre_reset.h"

#include "pads/pad_table.h"
#include "window/lookup.h"

namespace pads {

void centreReset(Object* window) {
  for (const ResetStep& step : kCentreReset)
    findControl<Oval>(window, step.pad)->setFillColor(step.resting);
}

}  // namespace pads
