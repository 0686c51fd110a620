#include "platform/smb/ShareAddress.h"

#include "platform/DevicePaths.h"

#include <QStringList>

namespace tarvo {

QString ShareAddress::remoteName() const
{
    return QStringLiteral("\\\\") + server() + u'\\' + share;
}

bool ShareAddress::sameShare(const ShareAddress& other) const
{
    return host.compare(other.host, Qt::CaseInsensitive) == 0 && port == other.port &&
           share.compare(other.share, Qt::CaseInsensitive) == 0;
}

std::optional<ShareAddress> ShareAddress::parse(const QString& path)
{
    if (!DevicePaths::isNetworkPath(path))
        return std::nullopt;
    QString separated = path.mid(2);
    separated.replace(u'/', u'\\');
    QStringList parts = separated.split(u'\\', Qt::SkipEmptyParts);
    if (parts.size() < 2)
        return std::nullopt;
    for (const QString& part : parts) {
        if (part == u"." || part == u"..")
            return std::nullopt;
    }
    ShareAddress address;
    QString server = parts.takeFirst();
    const qsizetype colon = server.lastIndexOf(u':');
    if (colon > 0) {
        bool ok = false;
        address.port = server.mid(colon + 1).toInt(&ok);
        if (!ok || address.port <= 0 || address.port > 65535)
            return std::nullopt;
        server.truncate(colon);
    }
    address.host = server;
    address.share = parts.takeFirst();
    address.folders = parts;
    return address;
}

} // namespace tarvo
