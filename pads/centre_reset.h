#pragma once
// Returning the centre octave to rest: the 13 centre pads, in the fixed reset order, each
// painted in the resting colour of its pitch class. Wing pads are never touched.

class Object;

namespace pads {

// Each pad is found by name on the window at the moment it is painted and released
// before the next. A missing pad raises the nil-object exception at that step; the pads
// painted before it keep their new colour.
void centreReset(Object* window);

}  // namespace pads
