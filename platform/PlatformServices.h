#pragma once

#include "platform/DevicePaths.h"
#include "platform/FileSystem.h"
#include "platform/ShareConnections.h"

#include <memory>

namespace tarvo {

// The platform's file and connection services for one process: device paths
// under the device root, network paths on SMB shares through the named
// connections of one process-wide table.
class PlatformServices
{
public:
    virtual ~PlatformServices() = default;

    virtual const DevicePaths& devicePaths() const = 0;
    virtual FileSystem& files() = 0;
    virtual ShareConnections& connections() = 0;

    // Initialises the SMB library; null with an error text when it cannot.
    static std::unique_ptr<PlatformServices> create(const QString& deviceRoot,
                                                    QString* error = nullptr);
};

} // namespace tarvo
