#include "core/copy/CopyDepth.h"

#include <algorithm>

namespace tarvo {

CopyDepth::CopyDepth(int start, int most)
    : m_most(std::max(1, most))
    , m_current(std::clamp(start, 1, m_most))
{
    if (m_current == m_most)
        m_phase = Phase::Fixed;
}

bool CopyDepth::copyEnded(Clock::time_point now, int generation)
{
    if (generation != m_generation)
        return false;
    switch (m_phase) {
    case Phase::Fixed:
        return false;
    case Phase::Settling:
        if (++m_counted < settlingCount())
            return false;
        m_phase = Phase::Measuring;
        m_counted = 0;
        m_sampleStart = now;
        return false;
    case Phase::Measuring:
        if (++m_counted < sampleCount() || now - m_sampleStart < SampleTime)
            return false;
        break;
    }
    const std::chrono::duration<double> took = now - m_sampleStart;
    const double rate = took.count() > 0 ? m_counted / took.count() : 0;
    if (m_before > 0 && rate < m_beforeRate * Gain) {
        // The last doubling did not pay: back to the depth before it, unless
        // the doubling still did better.
        m_phase = Phase::Fixed;
        if (rate >= m_beforeRate)
            return false;
        m_current = m_before;
        ++m_generation;
        return true;
    }
    if (m_current == m_most) {
        m_phase = Phase::Fixed;
        return false;
    }
    m_before = m_current;
    m_beforeRate = rate;
    m_current = std::min(m_current * 2, m_most);
    ++m_generation;
    m_counted = 0;
    m_phase = Phase::Settling;
    return true;
}

} // namespace tarvo
