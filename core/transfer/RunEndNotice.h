#pragma once

#include "platform/DesktopNotifier.h"

namespace tarvo {

struct RunSummary;

// What the desktop is told of a run that ended while the user was in another
// program: whether it went through ("Tarvo: send finished", "... finished
// with failures", "... cancelled") and how many files it sent, with what
// went wrong after the count ("10 of 12 files sent, 2 failed, 1
// post-operation failed").
DesktopNotice RunEndNotice(const RunSummary& summary);

} // namespace tarvo
