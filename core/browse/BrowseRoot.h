#pragma once

#include <QString>
#include <QStringList>

namespace tarvo {

class MessageService;
class ShareConnections;

// The root of the folder browser's tree: the device itself, shown as
// "Pocket PC", or the share of a Get session, shown as "\\server\share".
inline constexpr char16_t DeviceRootText[] = u"Pocket PC";

// The root text for the session with this line. A Get session of kind Net
// has its share connected first; a failure shows the connection's own
// message and the root still names the share. Any other line gives the device.
QString BrowseRootText(const QString& name, const QString& line, ShareConnections& connections,
                       MessageService& messages);

// The full path of a tree item, given the texts from the root down to it:
// "\" for the device root and "\" + folders below it; on a share, the share's
// path followed by the folders.
QString FolderItemPath(const QStringList& textsFromRoot);

} // namespace tarvo
