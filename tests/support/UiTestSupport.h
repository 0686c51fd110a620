#pragma once

#include "config/Settings.h"
#include "core/filelist/FileListBuilder.h"
#include "core/filelist/FileTypeIcons.h"
#include "platform/PlatformServices.h"
#include "tests/support/ScriptedMessageService.h"
#include "tests/support/TempFiles.h"

#include <memory>
#include <QDir>
#include <QFile>

namespace tarvo::test {

// A Put session line whose source folder is localFolder on the device.
inline QString PutLine(const QString& localFolder)
{
    return QStringLiteral("Net,Put,\\\\pc\\docs,WG,%1,\\,None,,guest,secret").arg(localFolder);
}

// A Get session line listing pcFolder on the share "\\server\share".
inline QString GetLine(const QString& server, const QString& share, const QString& pcFolder,
                       const QString& user, const QString& password)
{
    return QStringLiteral("Net,Get,\\\\%1\\%2,WG,\\In,%3,None,,%4,%5")
        .arg(server, share, pcFolder, user, password);
}

// A device root in a temporary folder, the process's real file services on
// it and a message service that records what it is asked to show.
class DeviceFixture
{
public:
    DeviceFixture()
        : platform(PlatformServices::create(device.path()))
    {}

    // Creates a file of size bytes under the device root ("docs/a.txt").
    void makeFile(const QString& relativePath, qint64 size = 0) const
    {
        device.write(relativePath, QByteArray(size, 'x'));
    }
    void makeFolder(const QString& relativePath) const { QDir(device.path()).mkpath(relativePath); }

    FileListBuilder::Services services()
    {
        return {platform->files(), platform->connections(), messages, icons};
    }

    TempFolder device;
    std::unique_ptr<PlatformServices> platform;
    ScriptedMessageService messages;
    FileTypeIcons icons;
};

} // namespace tarvo::test
