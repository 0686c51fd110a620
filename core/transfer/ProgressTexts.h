#pragma once

#include <chrono>
#include <QString>

namespace tarvo {

// The texts that follow a running copy, the same in the window and on the
// terminal. Sizes are in binary units with one decimal ("460.8 MiB").

// "460.8 MiB of 1.0 GiB"
QString ProgressBytesText(quint64 done, quint64 size);
// "112.3 MiB/s"
QString SpeedText(double bytesPerSecond);
// "0:05 left", "1:02:03 left"
QString TimeLeftText(std::chrono::seconds left);

} // namespace tarvo
