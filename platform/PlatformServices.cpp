#include "platform/PlatformServices.h"

#include "platform/ProcessServices.h"

namespace tarvo {

ProcessServices::ProcessServices(const QString& deviceRoot)
    : m_local(DevicePaths(deviceRoot))
    , m_connections(
          [this](const ShareCredentials& credentials) { return m_shares.logOn(credentials); },
          [this](const ShareCredentials& credentials) { m_shares.signOff(credentials); })
    , m_contexts(m_connections)
    , m_shares(m_connections, m_contexts)
    , m_files(m_local, m_shares)
{}

std::unique_ptr<PlatformServices> PlatformServices::create(const QString& deviceRoot,
                                                           QString* error)
{
    if (!SmbContextPool::initialiseLibrary(error))
        return nullptr;
    return std::make_unique<ProcessServices>(deviceRoot);
}

} // namespace tarvo
