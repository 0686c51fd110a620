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

// The texts of a transfer's progress, in the default locale's digits:
// "12.3 MB" (1 MB is 1024 KB, as file managers count them).
QString DataSizeText(quint64 bytes);
// "12.3 MB of 1.0 GB"
QString BytesOfText(quint64 done, quint64 total);
// "3.2 MB/s"
QString SpeedText(double bytesPerSecond);
// "45 s left", "5 min left", "2 h 5 min left": seconds only under a minute,
// and whole minutes rounded up above it, so that it never promises too little.
QString TimeLeftText(std::chrono::seconds left);

} // namespace tarvo
