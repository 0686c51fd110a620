#pragma once

#include "platform/local/LocalFileSystem.h"
#include "platform/PlatformServices.h"
#include "platform/RoutingFileSystem.h"
#include "platform/smb/ShareConnectionTable.h"
#include "platform/smb/SmbContextPool.h"
#include "platform/smb/SmbFileSystem.h"

namespace tarvo {

// The services of one process, built in dependency order: the connection
// table logs on through the share files, which find credentials in the table.
// Tests and benchmarks reach the concrete pieces through it.
class ProcessServices : public PlatformServices
{
public:
    explicit ProcessServices(const QString& deviceRoot);

    const DevicePaths& devicePaths() const override { return m_local.paths(); }
    FileSystem& files() override { return m_files; }
    ShareConnections& connections() override { return m_connections; }

    LocalFileSystem& localFiles() { return m_local; }
    SmbFileSystem& shareFiles() { return m_shares; }
    ShareConnectionTable& connectionTable() { return m_connections; }

private:
    LocalFileSystem m_local;
    ShareConnectionTable m_connections;
    SmbContextPool m_contexts;
    SmbFileSystem m_shares;
    RoutingFileSystem m_files;
};

} // namespace tarvo
