#pragma once

#include <QList>
#include <QMetaType>
#include <QString>

namespace tarvo {

// One row of the main list: its five texts and an icon index. Rows of one
// folder share their Path and Session texts (implicit sharing).
struct FileRow
{
    QString name;
    QString date;
    QString size;
    QString path;
    QString session;
    int icon = -1;
    quint64 bytes = 0;    // the size the Size column shows
    quint64 modified = 0; // the last-write time the Date column shows, for sorting
};

using FileRows = QList<FileRow>;

// The list's order: by name, letter case ignored; ties keep their arrival order.
inline bool FileRowLess(const FileRow& a, const FileRow& b)
{
    return a.name.compare(b.name, Qt::CaseInsensitive) < 0;
}

} // namespace tarvo

Q_DECLARE_METATYPE(tarvo::FileRows)
