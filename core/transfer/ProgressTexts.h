#pragma once

#include <chrono>
#include <QString>

namespace tarvo {

// The texts that follow a running copy, the same in the window and on the
// terminal, in the default locale's digits.

// "12.3 MB" (1 MB is 1024 KB, as file managers count them).
QString DataSizeText(quint64 bytes);
// "12.3 MB of 1.0 GB"
QString BytesOfText(quint64 done, quint64 total);
// "resuming at 1.9 GB of 2.0 GB": a copy that goes on from the part that a
// cut copy of the same file left.
QString ResumingText(quint64 offset, quint64 total);
// "resumed at 1.9 GB of 2.0 GB", for the run record.
QString ResumedText(quint64 offset, quint64 total);
// "3.2 MB/s"
QString SpeedText(double bytesPerSecond);
// "45 s left", "5 min left", "2 h 5 min left": seconds only under a minute,
// and whole minutes rounded up above it, so that it never promises too little.
QString TimeLeftText(std::chrono::seconds left);
// "42% – Sending – Tarvo": the title of the windows while a run goes on, which
// a task bar shows where the user can see it from another program.
QString ProgressTitle(int percent);

} // namespace tarvo
