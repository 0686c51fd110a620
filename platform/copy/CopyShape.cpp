#include "platform/copy/CopyShape.h"

namespace tarvo {

CopyShapeGrowth::CopyShapeGrowth(QList<CopyShape> steps, Clock::time_point now)
    : m_steps(std::move(steps))
    , m_current(m_steps.value(0, CopyShape{1, 1}))
{
    settle(now);
    if (m_steps.size() < 2)
        m_phase = Phase::Fixed;
}

void CopyShapeGrowth::settle(Clock::time_point now)
{
    m_phase = Phase::Settling;
    m_counted = 0;
    m_since = now;
}

bool CopyShapeGrowth::arrived(quint64 bytes, Clock::time_point now)
{
    m_counted += bytes;
    switch (m_phase) {
    case Phase::Fixed:
        return false;
    case Phase::Settling:
        if (m_counted < settlingBytes() || now - m_since < SettlingTime)
            return false;
        m_phase = Phase::Measuring;
        m_counted = 0;
        m_since = now;
        return false;
    case Phase::Measuring:
        if (m_counted < sampleBytes() || now - m_since < SampleTime)
            return false;
        break;
    }
    const std::chrono::duration<double> took = now - m_since;
    const double rate = double(m_counted) / took.count();
    if (m_step > 0 && rate < m_beforeRate * Gain) {
        // The last step did not pay: back to the shape before, which costs
        // less memory and fewer sessions for the same.
        m_phase = Phase::Fixed;
        m_current = m_steps.at(--m_step);
        return true;
    }
    if (m_step + 1 >= m_steps.size()) {
        m_phase = Phase::Fixed;
        return false;
    }
    m_beforeRate = rate;
    m_current = m_steps.at(++m_step);
    settle(now);
    return true;
}

void CopyShapeGrowth::fellShort(int sessions)
{
    m_current.sessions = sessions;
    m_phase = Phase::Fixed;
}

} // namespace tarvo
