#include "core/browse/FolderReader.h"

#include "platform/FileSystem.h"

#include <algorithm>
#include <QCollator>

namespace tarvo {

bool FolderReader::isShownFolder(const DirEntry& entry)
{
    if (!entry.Info.isDirectory())
        return false;
    const QString& name = entry.Name;
    // The tree joins names with "\" into paths: a name that is a step up or
    // holds a separator would make a path that leaves the folder it was listed in.
    return !name.isEmpty() && name != u"." && name != u".." && !name.contains(u'\\') &&
           !name.contains(u'/');
}

std::optional<QStringList> FolderReader::subfolders(const QString& path,
                                                    const std::stop_token& stop) const
{
    QStringList names;
    const int result = m_files.listFolder(path, [&](const DirEntry& entry) {
        if (isShownFolder(entry))
            names.append(entry.Name);
        return !stop.stop_requested();
    });
    if (result != 0)
        return std::nullopt;
    sortNames(names);
    return names;
}

bool FolderReader::hasSubfolders(const QString& path) const
{
    bool found = false;
    m_files.listFolder(path, [&found](const DirEntry& entry) {
        found = isShownFolder(entry);
        return !found;
    });
    return found;
}

void FolderReader::sortNames(QStringList& names)
{
    QCollator collator;
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    // Sort keys once per name rather than collating on every comparison:
    // a folder may hold tens of thousands of subfolders.
    struct Keyed
    {
        QCollatorSortKey key;
        QString name;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(names.size());
    // Keys of the case-folded names: not every collator honours the case
    // setting in its sort keys (the C locale's does not).
    for (const QString& name : std::as_const(names))
        keyed.push_back({collator.sortKey(name.toCaseFolded()), name});
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        const int order = a.key.compare(b.key);
        // Names equal but for case (possible on Linux) keep one fixed order.
        return order != 0 ? order < 0 : a.name < b.name;
    });
    for (qsizetype i = 0; i < names.size(); ++i)
        names[i] = keyed[size_t(i)].name;
}

} // namespace tarvo
