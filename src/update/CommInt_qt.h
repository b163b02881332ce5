#pragma once
// Hands the serial component's line events to the user-interface thread.
#include "update/CommInt.h"

namespace gw {

// Queues each task on the application's thread (the component waits for it).
CommEventPoster QtCommEventPoster();

} // namespace gw
