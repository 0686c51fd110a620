#include "core/transfer/TransferRate.h"

#include "core/transfer/ProgressTexts.h"

#include <cmath>

namespace tarvo {

void TransferRate::add(Clock::time_point when, quint64 bytesDone)
{
    // A copy tried again goes back: the speed starts over from there.
    if (!m_samples.empty() && bytesDone < m_samples.back().bytes)
        m_samples.clear();
    m_samples.push_back({when, bytesDone});
    // Keep one sample older than the window, so that the window is full.
    while (m_samples.size() > 2 && when - m_samples[1].when >= Window)
        m_samples.pop_front();
}

std::optional<double> TransferRate::bytesPerSecond() const
{
    if (m_samples.size() < 2)
        return std::nullopt;
    const std::chrono::duration<double> span = m_samples.back().when - m_samples.front().when;
    if (span.count() <= 0)
        return std::nullopt;
    return double(m_samples.back().bytes - m_samples.front().bytes) / span.count();
}

std::optional<std::chrono::seconds> TransferRate::timeLeft(quint64 remaining) const
{
    const std::optional<double> speed = bytesPerSecond();
    if (!speed || *speed <= 0)
        return std::nullopt;
    return std::chrono::seconds(qint64(std::ceil(double(remaining) / *speed)));
}

QString TransferRate::text(quint64 remaining) const
{
    const std::optional<double> speed = bytesPerSecond();
    if (!speed)
        return {};
    const std::optional<std::chrono::seconds> left = timeLeft(remaining);
    return left ? SpeedText(*speed) + QStringLiteral(", ") + TimeLeftText(*left)
                : SpeedText(*speed);
}

} // namespace tarvo
