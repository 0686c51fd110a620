#pragma once

#include <atomic>
#include <chrono>
#include <limits>
#include <QtGlobal>

namespace tarvo {

// How far away the shares' servers are, as their logons show: a logon is a
// dozen round trips, so over loopback or a LAN it takes a few milliseconds,
// over a VPN with 10 ms round trips a few hundred. The block of a big copy
// follows: each session has one block in flight at a time, so far away a
// block must carry more to keep the link busy, while nearby small blocks
// keep both processors busy with less memory to touch.
class LinkPace
{
public:
    using Duration = std::chrono::steady_clock::duration;

    static constexpr qint64 NearBlock = qint64(2) << 20;
    static constexpr qint64 FarBlock = qint64(8) << 20;
    // The fastest logon it took for a server to count as far away.
    static constexpr std::chrono::milliseconds FarLogon{60};

    void logonTook(Duration took)
    {
        const auto micro = std::chrono::duration_cast<std::chrono::microseconds>(took).count();
        qint64 fastest = m_fastest.load();
        while (micro < fastest && !m_fastest.compare_exchange_weak(fastest, micro)) {
        }
    }

    // The block that a big copy moves per request. The fastest logon
    // decides: a slow one may have waited for the processor, or for a
    // server busy with others.
    qint64 blockSize() const
    {
        const qint64 fastest = m_fastest.load();
        return fastest != NoLogon && std::chrono::microseconds(fastest) >= FarLogon ? FarBlock
                                                                                    : NearBlock;
    }

private:
    static constexpr qint64 NoLogon = std::numeric_limits<qint64>::max();
    std::atomic<qint64> m_fastest{NoLogon};
};

} // namespace tarvo
