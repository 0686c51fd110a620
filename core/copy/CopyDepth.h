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
    // Counts the changes of the depth: a copy started under one generation
    // tells nothing about the depth of a later one.
    int generation() const { return m_generation; }

    // A copy that started under `generation` ended at `now`; true when that
    // changed the depth.
    bool copyEnded(Clock::time_point now, int generation);

    // A doubling pays when files per second rise by at least this factor.
    static constexpr double Gain = 1.2;

private:
    enum class Phase { Settling, Measuring, Fixed };
    // The first copies started after a change carry the new sessions'
    // logons (a logon takes many round trips, one logon after another) and
    // hold up those behind them: they are left out of the measure.
    int settlingCount() const { return 2 * m_current; }
    // Enough copies, over long enough, to average out single slow files and
    // the moments the scheduler gives to other processes.
    int sampleCount() const { return 4 * m_current; }
    static constexpr std::chrono::milliseconds SampleTime{200};

    const int m_most;
    int m_current;
    int m_before = 0;        // the depth before the last doubling
    double m_beforeRate = 0; // files per second measured at m_before
    Phase m_phase = Phase::Settling;
    int m_generation = 0;
    int m_counted = 0;
    Clock::time_point m_sampleStart;
};

} // namespace tarvo
