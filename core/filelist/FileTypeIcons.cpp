#include "core/filelist/FileTypeIcons.h"

#include <QMimeDatabase>
#include <QMutexLocker>

namespace tarvo {

FileTypeIcons::FileTypeIcons()
{
    m_types.append({QString(), {QStringLiteral("folder")}});
}

QString FileTypeIcons::extensionOf(const QString& path)
{
    qsizetype nameStart = 0;
    for (qsizetype i = path.size() - 1; i >= 0; --i) {
        if (path.at(i) == u'\\' || path.at(i) == u'/') {
            nameStart = i + 1;
            break;
        }
    }
    const qsizetype dot = path.lastIndexOf(u'.');
    if (dot < nameStart)
        return {};
    return path.mid(dot).toLower();
}

int FileTypeIcons::FileIconIndex(const QString& path)
{
    const QString extension = extensionOf(path);
    QMutexLocker lock(&m_mutex);
    const auto found = m_byExtension.constFind(extension);
    if (found != m_byExtension.cend())
        return *found;

    // By name only: the database matches the extension's glob, no file is read.
    static const QMimeDatabase database;
    const QMimeType mime =
        database.mimeTypeForFile(u'x' + extension, QMimeDatabase::MatchExtension);
    QStringList names{mime.iconName(), mime.genericIconName()};
    names.removeDuplicates();
    names.removeAll(QString());
    names.append(QStringLiteral("text-x-generic"));

    const int index = int(m_types.size());
    m_types.append({extension, names});
    m_byExtension.insert(extension, index);
    return index;
}

int FileTypeIcons::count() const
{
    QMutexLocker lock(&m_mutex);
    return int(m_types.size());
}

FileTypeIcons::Type FileTypeIcons::type(int index) const
{
    QMutexLocker lock(&m_mutex);
    return index >= 0 && index < m_types.size() ? m_types.at(index) : Type{};
}

} // namespace tarvo
