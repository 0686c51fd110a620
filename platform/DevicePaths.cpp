#include "platform/DevicePaths.h"

#include <QDir>
#include <QStringList>

namespace tarvo {

DevicePaths::DevicePaths(QString rootFolder)
    : m_root(QDir::cleanPath(QDir(rootFolder).absolutePath()))
{}

QString DevicePaths::toNative(const QString& devicePath) const
{
    QStringList parts;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= devicePath.size(); ++i) {
        if (i < devicePath.size() && !isSeparator(devicePath.at(i)))
            continue;
        const QString part = devicePath.mid(start, i - start);
        start = i + 1;
        if (part.isEmpty() || part == u".")
            continue;
        if (part == u"..") {
            if (!parts.isEmpty())
                parts.removeLast();
            continue;
        }
        parts.append(part);
    }
    if (parts.isEmpty())
        return m_root;
    return m_root == u"/" ? u'/' + parts.join(u'/') : m_root + u'/' + parts.join(u'/');
}

bool DevicePaths::isNetworkPath(const QString& path)
{
    return path.size() >= 2 && isSeparator(path.at(0)) && isSeparator(path.at(1));
}

QString DevicePaths::defaultRoot()
{
    return QDir::homePath();
}

} // namespace tarvo
