#pragma once

#include <optional>
#include <QString>
#include <QStringList>

namespace tarvo {

// Where a network path ("\\server\share\folder\file", either separator)
// points: the server (host, with an optional ":port"), the share and the path
// below it, split at separators.
struct ShareAddress
{
    QString host;
    int port = 0; // 0: the SMB default
    QString share;
    QStringList folders; // below the share; the last one may name a file

    // "\\server\share" as the connection table knows it.
    QString remoteName() const;
    QString server() const { return port ? host + u':' + QString::number(port) : host; }
    bool sameShare(const ShareAddress& other) const;

    // Nothing for a text that is no network path, names no share, or holds a
    // "." or ".." component: such a path could leave the share's folder.
    static std::optional<ShareAddress> parse(const QString& path);
};

} // namespace tarvo
