// The "Randam Hit" button's handler and the two window methods it calls. Their bodies
// are not built yet: the button does nothing.

#include "window/velmo.h"

void VELMO::PushButton1_Action(Object*) {}

void VELMO::pxx(Object*, int32_t) {}

int32_t VELMO::Onpu(Object*, int32_t, int32_t, int32_t) { return 0; }
