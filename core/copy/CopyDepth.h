#pragma once

#include <chrono>

namespace tarvo {

// How many copies run at once, learnt from the copies themselves. Over a
// link with round trips of milliseconds each copy mostly waits for answers,
// and files per second rise with every copy added; on a fast link the server
// is soon busy, and copies beyond that only cost it more (each brings a
// session of its own). So the depth starts small and doubles while the
// files per second it brings rise clearly; once a doubling no longer pays,
// it goes back to the depth before and stays there.
class CopyDepth
{
public:
    using Clock = std::chrono::steady_clock;

    // Starts at `start` copies at once and never goes beyond `most`.
    CopyDepth(int start, int most);

    int current() const { return m_current; }

    // A copy ended at `now`; true when that changed the depth.
    bool copyEnded(Clock::time_point now);

    // A doubling pays when files per second rise by at least this factor.
    static constexpr double Gain = 1.2;

private:
    enum class Phase { Settling, Measuring, Fixed };
    // Copies that end right after a change carry the sessions' logons and
    // the time before the pipeline filled: they are left out of the measure.
    int settlingCount() const { return m_current; }
    // Enough copies to average out single slow files.
    int sampleCount() const { return 4 * m_current; }

    const int m_most;
    int m_current;
    int m_before = 0;        // the depth before the last doubling
    double m_beforeRate = 0; // files per second measured at m_before
    Phase m_phase = Phase::Settling;
    int m_counted = 0;
    Clock::time_point m_sampleStart;
};

} // namespace tarvo
