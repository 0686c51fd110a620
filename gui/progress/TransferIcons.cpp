#include "gui/progress/TransferIcons.h"

#include <QApplication>
#include <QMimeDatabase>
#include <QStyle>

namespace tarvo {

QIcon DefaultFileIcon(const QString& path)
{
    static const QMimeDatabase database;
    const QString name = path.mid(path.lastIndexOf(u'\\') + 1);
    const QMimeType type = database.mimeTypeForFile(name, QMimeDatabase::MatchExtension);
    QIcon icon = QIcon::fromTheme(type.iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(type.genericIconName());
    if (icon.isNull())
        icon = QApplication::style()->standardIcon(QStyle::SP_FileIcon);
    return icon;
}

QPixmap ReplaceBitmap()
{
    const QPixmap bitmap(QStringLiteral(":/res/bitmap161.xpm"));
    if (!bitmap.isNull())
        return bitmap;
    return QApplication::style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(37, 40);
}

QIcon ProgramIcon()
{
    QIcon icon;
    icon.addFile(QStringLiteral(":/res/icon128_16.xpm"));
    icon.addFile(QStringLiteral(":/res/icon128_32.xpm"));
    if (!icon.availableSizes().isEmpty())
        return icon;
    return QApplication::style()->standardIcon(QStyle::SP_ComputerIcon);
}

} // namespace tarvo
