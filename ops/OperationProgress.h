#pragma once
#include <functional>

// Called by the Program and Read streams before each program-memory block with the position
// of the progress bar, 0 to 99: the window moves its bar and repaints, since it processes no
// messages while an operation runs. An empty function is allowed.
using ProgressFunction = std::function<void(int position)>;
