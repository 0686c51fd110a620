#pragma once

#include "platform/CancelToken.h"

namespace tarvo {

// While it lives, SIGINT (Ctrl-C) and SIGTERM stop the run as Cancel does in
// the window: the token is cancelled, the copy in flight removes its part and
// leaves the old target whole, and the command ends with its summary. A
// second signal ends the process at once, for a run that will not stop.
// One at a time.
class StopSignals
{
public:
    explicit StopSignals(CancelToken token);
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The signal that stopped the run, or 0.
    int received() const;

private:
    CancelToken m_token;
};

} // namespace tarvo
