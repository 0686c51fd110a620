#pragma once

#include <chrono>
#include <deque>
#include <optional>
#include <QString>

namespace tarvo {

// The speed of a run and the time it has left, from the bytes done seen at
// moments the caller picks (each look at the progress). The speed is taken
// over the last few seconds, so that it follows a link that slows down
// without jumping with every block.
class TransferRate
{
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::seconds Window{5};

    void add(Clock::time_point when, quint64 bytesDone);

    // Bytes per second; none until two looks lie apart.
    std::optional<double> bytesPerSecond() const;
    // The time left for `remaining` bytes at that speed; none without a speed.
    std::optional<std::chrono::seconds> timeLeft(quint64 remaining) const;

    // "3.2 MB/s, 5 min left" for `remaining` bytes; empty without a speed.
    QString text(quint64 remaining) const;

private:
    struct Sample
    {
        Clock::time_point when;
        quint64 bytes;
    };
    std::deque<Sample> m_samples;
};

} // namespace tarvo
