#pragma once

#include <chrono>
#include <QList>
#include <QtGlobal>

namespace tarvo {

// How a big copy moves its bytes: in blocks of this size, through this many
// sessions, each with one block in flight at a time.
struct CopyShape
{
    qint64 block;
    int sessions;

    bool operator==(const CopyShape&) const = default;
};

// The shape of one big copy, learnt from the copy itself. Over a link with
// round trips of milliseconds a session mostly waits for the answer to its
// block, and bigger blocks and more sessions raise the bytes per second;
// nearby the processors are the limit, and both only cost memory and load
// the server. So a copy starts in the first shape and tries the next one
// while that raises its speed clearly; once a step no longer pays that
// much, the copy goes back to the shape before and stays in it.
class CopyShapeGrowth
{
public:
    using Clock = std::chrono::steady_clock;

    // `steps` from the first shape on; at least one.
    CopyShapeGrowth(QList<CopyShape> steps, Clock::time_point now);

    const CopyShape& current() const { return m_current; }

    // `bytes` more arrived at `now`; true when that changed current().
    bool arrived(quint64 bytes, Clock::time_point now);
    // The current shape's sessions could not all be had (the server or the
    // process had no more): the copy stays with `sessions`.
    void fellShort(int sessions);

    // A step pays when the bytes per second rise by this factor.
    static constexpr double Gain = 1.2;

private:
    enum class Phase { Settling, Measuring, Fixed };
    void settle(Clock::time_point now);
    // New sessions log on first (many round trips each) while the others
    // go on: the blocks of that time say little of the new shape.
    quint64 settlingBytes() const { return 2 * quint64(m_current.sessions * m_current.block); }
    static constexpr std::chrono::milliseconds SettlingTime{100};
    // Enough blocks, over long enough, to average out a slow block and the
    // moments the scheduler gives to other processes.
    quint64 sampleBytes() const { return 4 * quint64(m_current.sessions * m_current.block); }
    static constexpr std::chrono::milliseconds SampleTime{200};

    const QList<CopyShape> m_steps;
    qsizetype m_step = 0;
    CopyShape m_current;
    double m_beforeRate = 0; // bytes per second in the step before
    Phase m_phase = Phase::Settling;
    quint64 m_counted = 0;
    Clock::time_point m_since;
};

} // namespace tarvo
