#include "core/browse/BrowseRoot.h"

#include "config/NetSession.h"
#include "config/PathHelpers.h"
#include "core/shares/ShareConnector.h"

namespace tarvo {

QString BrowseRootText(const QString& name, const QString& line, ShareConnections& connections,
                       MessageService& messages)
{
    if (SessionDirection(line) != DirectionGet || SessionKind(line) != KindNet)
        return QString::fromUtf16(DeviceRootText);
    // The share is listed right away: connect it first. A failure has shown
    // its message; the tree then holds the share's root alone.
    ConnectSessionShare(name, line, connections, messages);
    NetSession session;
    ParseNetSession(line, session);
    return session.shareText();
}

QString FolderItemPath(const QStringList& textsFromRoot)
{
    if (textsFromRoot.isEmpty())
        return QString();
    QString path = textsFromRoot.first();
    for (qsizetype i = 1; i < textsFromRoot.size(); ++i)
        path = AddTrailingSeparator(path) + textsFromRoot.at(i);
    const QString device = QString::fromUtf16(DeviceRootText);
    if (textsFromRoot.first() != device)
        return path;
    // The device root stands for "\"; below it, its text gives way to the separator.
    return textsFromRoot.size() == 1 ? QStringLiteral("\\") : path.mid(device.size());
}

} // namespace tarvo
