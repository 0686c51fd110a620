#pragma once

#include <stop_token>

namespace tarvo {

// While it lives, SIGINT (Ctrl-C) and SIGTERM stop the run as Cancel does in
// the window: a stop is requested at once, the copy in flight removes its
// part and leaves the old target whole, and the command ends with its
// summary. A second signal ends the process at once, for a run that will not
// stop. One at a time.
class StopSignals
{
public:
    explicit StopSignals(std::stop_source stop);
    ~StopSignals();
    StopSignals(const StopSignals&) = delete;
    StopSignals& operator=(const StopSignals&) = delete;

    // The signal that came, or 0.
    int received() const;

private:
    std::stop_source m_stop;
};

} // namespace tarvo
