#pragma once

#include <QColor>
#include <QHash>
#include <QIcon>
#include <QList>
#include <QPixmap>

namespace tarvo {

class FileTypeIcons;

// A strip of equal cells cut from one bitmap, with one colour transparent;
// cells can be appended later (growth step 1). Indices are cell numbers.
class ImageList
{
public:
    ImageList() = default;

    // Cuts the bitmap into cells cellWidth pixels wide; empty when the
    // bitmap cannot be loaded.
    static ImageList fromStrip(const QString& bitmap, int cellWidth, const QColor& transparent);

    // Appends a picture as a new cell; returns its index.
    int add(const QPixmap& picture);

    int count() const { return int(m_cells.size()); }
    QPixmap pixmap(int index) const;
    QIcon icon(int index) const { return QIcon(pixmap(index)); }

private:
    QList<QPixmap> m_cells;
};

// The icons that the file lists show for file types: the picture for each
// index of FileTypeIcons, from the icon theme, else one built into the program.
// Pictures are made once per index, on first use, on the window's thread.
class SystemImageList
{
public:
    SystemImageList(const FileTypeIcons& types, int size);

    int iconSize() const { return m_size; }
    QIcon icon(int index) const;

private:
    const FileTypeIcons& m_types;
    int m_size;
    mutable QHash<int, QIcon> m_cache;
};

} // namespace tarvo
