#include "gui/main/Help.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

namespace tarvo {

QUrl HelpUrl()
{
    const QString installed = QDir(QCoreApplication::applicationDirPath())
                                  .filePath(QStringLiteral("../share/doc/tarvo/README.md"));
    if (QFileInfo::exists(installed))
        return QUrl::fromLocalFile(QFileInfo(installed).canonicalFilePath());
    return QUrl::fromLocalFile(QStringLiteral(TARVO_SOURCE_DIR "/README.md"));
}

} // namespace tarvo
