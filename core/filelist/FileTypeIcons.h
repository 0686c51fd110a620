#pragma once

#include <QHash>
#include <QList>
#include <QMutex>
#include <QString>

namespace tarvo {

// Stand-in for the shell's system image list: one index per file extension,
// handed out on first sight, with the icon names that the MIME database gives
// for it. Only names are looked at, never the disk. The window turns indices
// into pictures (SystemImageList); workers only ask for indices, from any thread.
class FileTypeIcons
{
public:
    struct Type
    {
        QString extension;     // lower case, with its dot; empty for "none"
        QStringList iconNames; // theme names to try, most specific first
    };

    static constexpr int FolderIndex = 0;

    FileTypeIcons();

    // The index for a path's file extension; the same for every path whose
    // file name ends in that extension, letter case ignored.
    int FileIconIndex(const QString& path);

    int count() const;
    Type type(int index) const;

    // ".txt" for "\Docs\a.b.txt"; empty for a name without a dot.
    static QString extensionOf(const QString& path);

private:
    mutable QMutex m_mutex;
    QHash<QString, int> m_byExtension;
    QList<Type> m_types;
};

} // namespace tarvo
