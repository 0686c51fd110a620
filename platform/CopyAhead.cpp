#include "platform/CopyAhead.h"

#include "platform/ErrorCodes.h"
#include "platform/FileSystem.h"

#include <algorithm>
#include <chrono>

namespace tarvo {

CopyAhead::CopyAhead(FileSystem& files, QList<FileCopy> copies, int depth)
    : m_files(files)
    , m_copies(std::move(copies))
    , m_depth(qMax(1, depth))
{}

CopyAhead::~CopyAhead()
{
    for (Running& running : m_running)
        running.result.wait();
}

int CopyAhead::takeNext()
{
    if (m_taken >= m_copies.size())
        return PlatformError::InvalidParameter;
    startUpTo(m_taken + m_depth);
    Running next = std::move(m_running.front());
    m_running.pop_front();
    const FileCopy& copy = m_copies.at(m_taken++);
    int result = next.result.get();
    if (result != 0 && next.besideEarlier)
        result = m_files.copyFile(copy.source, copy.target, false);
    startUpTo(m_taken + m_depth);
    return result;
}

void CopyAhead::startUpTo(qsizetype end)
{
    for (; m_started < qMin(end, m_copies.size()); ++m_started) {
        const FileCopy& copy = m_copies.at(m_started);
        const bool besideEarlier =
            std::any_of(m_running.cbegin(), m_running.cend(), [](const Running& earlier) {
                return earlier.result.wait_for(std::chrono::seconds(0)) !=
                       std::future_status::ready;
            });
        m_running.push_back({std::async(std::launch::async,
                                        [this, &copy] {
                                            return m_files.copyFile(copy.source, copy.target,
                                                                    false);
                                        }),
                             besideEarlier});
    }
}

} // namespace tarvo
