#include "platform/CopyAhead.h"

#include "platform/ErrorCodes.h"

#include <algorithm>
#include <chrono>

namespace tarvo {

CopyAhead::CopyAhead(FileSystem& files, QList<CopyRequest> copies, int depth)
    : m_files(files)
    , m_copies(std::move(copies))
    , m_depth(qMax(1, depth))
{}

CopyAhead::~CopyAhead()
{
    for (Running& running : m_running)
        running.result.wait();
}

CopyOutcome CopyAhead::takeNext()
{
    if (m_taken >= m_copies.size())
        return CopyOutcome::failed(PlatformError::InvalidParameter);
    startUpTo(m_taken + m_depth);
    Running next = std::move(m_running.front());
    m_running.pop_front();
    const CopyRequest& copy = m_copies.at(m_taken++);
    CopyOutcome result = next.result.get();
    if (result.error != 0 && result.error != PlatformError::Cancelled && next.besideEarlier)
        result = m_files.copy(copy);
    startUpTo(m_taken + m_depth);
    return result;
}

void CopyAhead::startUpTo(qsizetype end)
{
    for (; m_started < qMin(end, m_copies.size()); ++m_started) {
        const CopyRequest& copy = m_copies.at(m_started);
        const bool besideEarlier =
            std::any_of(m_running.cbegin(), m_running.cend(), [](const Running& earlier) {
                return earlier.result.wait_for(std::chrono::seconds(0)) !=
                       std::future_status::ready;
            });
        m_running.push_back(
            {std::async(std::launch::async, [this, &copy] { return m_files.copy(copy); }),
             besideEarlier});
    }
}

} // namespace tarvo
