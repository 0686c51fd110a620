#pragma once

namespace tarvo {

// The kind of device the program runs on, as the folder browser chooses its
// icons by it: 0 a Pocket PC, 1 a Palm-size PC, 2 another handheld, 3 not a
// handheld at all, which is what a Linux machine is.
int GetPlatformType();

} // namespace tarvo
