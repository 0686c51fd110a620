#pragma once

#include <functional>
#include <QIcon>
#include <QPixmap>
#include <QString>

namespace tarvo {

// The picture of a file, chosen by its name alone (never the disk). The main
// window hands in its shared image list; without one the MIME database's
// icon for the extension is used.
using FileIconLookup = std::function<QIcon(const QString& path)>;

QIcon DefaultFileIcon(const QString& path);

// Bitmap 161, the picture at the top of "Confirm File Replace".
QPixmap ReplaceBitmap();

// Icon 128, the program's own, shown until a file's icon is known.
QIcon ProgramIcon();

} // namespace tarvo
