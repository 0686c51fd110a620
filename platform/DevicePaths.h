#pragma once

#include <QString>

namespace tarvo {

// Maps the program's device paths ("\My Documents\a.txt") to files under the
// device root, a local folder that stands for the whole device (by default the
// user's home folder). "\" and "/" are both accepted as separators.
class DevicePaths
{
public:
    explicit DevicePaths(QString rootFolder);

    const QString& root() const { return m_root; }

    // The local file that a device path names. ".." and "." components are
    // resolved without ever leaving the root.
    QString toNative(const QString& devicePath) const;

    // True for "\\server\share..." (either separator).
    static bool isNetworkPath(const QString& path);

    static bool isSeparator(QChar c) { return c == u'\\' || c == u'/'; }

    // The default root: the user's home folder.
    static QString defaultRoot();

private:
    QString m_root;
};

} // namespace tarvo
