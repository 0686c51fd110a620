#include "gui/main/ImageLists.h"

#include "core/filelist/FileTypeIcons.h"

#include <QApplication>
#include <QImage>
#include <QStyle>

namespace tarvo {

ImageList ImageList::fromStrip(const QString& bitmap, int cellWidth, const QColor& transparent)
{
    ImageList list;
    QImage image(bitmap);
    if (image.isNull() || cellWidth <= 0)
        return list;
    image = image.convertToFormat(QImage::Format_ARGB32);
    const QRgb key = transparent.rgb();
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if ((line[x] | 0xFF000000u) == (key | 0xFF000000u))
                line[x] = qRgba(0, 0, 0, 0);
        }
    }
    for (int x = 0; x + cellWidth <= image.width(); x += cellWidth)
        list.m_cells.append(QPixmap::fromImage(image.copy(x, 0, cellWidth, image.height())));
    return list;
}

int ImageList::add(const QPixmap& picture)
{
    m_cells.append(picture);
    return int(m_cells.size()) - 1;
}

QPixmap ImageList::pixmap(int index) const
{
    return index >= 0 && index < m_cells.size() ? m_cells.at(index) : QPixmap();
}

SystemImageList::SystemImageList(const FileTypeIcons& types, int size)
    : m_types(types)
    , m_size(size)
{}

QIcon SystemImageList::icon(int index) const
{
    const auto cached = m_cache.constFind(index);
    if (cached != m_cache.cend())
        return *cached;

    const bool folder = index == FileTypeIcons::FolderIndex;
    QIcon result;
    for (const QString& name : m_types.type(index).iconNames) {
        result = QIcon::fromTheme(name);
        if (!result.isNull())
            break;
    }
    if (result.isNull()) {
        // A machine without an icon theme still shows the style's own pictures.
        result =
            QApplication::style()->standardIcon(folder ? QStyle::SP_DirIcon : QStyle::SP_FileIcon);
    }
    m_cache.insert(index, result);
    return result;
}

} // namespace tarvo
