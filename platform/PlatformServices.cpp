#include "platform/PlatformServices.h"

#include "platform/LocalFileSystem.h"
#include "platform/RoutingFileSystem.h"
#include "platform/ShareConnectionTable.h"
#include "platform/SmbContextPool.h"
#include "platform/SmbFileSystem.h"

namespace tarvo {

namespace {

// The services of one process, built in dependency order: the connection
// table logs on through the share files, which find credentials in the table.
class ProcessServices : public PlatformServices
{
public:
    explicit ProcessServices(const QString& deviceRoot)
        : m_local(DevicePaths(deviceRoot))
        , m_connections(
              [this](const ShareCredentials& credentials) { return m_shares.logOn(credentials); })
        , m_contexts(m_connections)
        , m_shares(m_connections, m_contexts)
        , m_files(m_local, m_shares)
    {}

    const DevicePaths& devicePaths() const override { return m_local.paths(); }
    FileSystem& files() override { return m_files; }
    ShareConnections& connections() override { return m_connections; }

private:
    LocalFileSystem m_local;
    ShareConnectionTable m_connections;
    SmbContextPool m_contexts;
    SmbFileSystem m_shares;
    RoutingFileSystem m_files;
};

} // namespace

std::unique_ptr<PlatformServices> PlatformServices::create(const QString& deviceRoot,
                                                           QString* error)
{
    if (!SmbContextPool::initialiseLibrary(error))
        return nullptr;
    return std::make_unique<ProcessServices>(deviceRoot);
}

} // namespace tarvo
