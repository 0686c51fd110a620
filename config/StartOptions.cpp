#include "config/StartOptions.h"

#include "config/ConfigStore.h"
#include "platform/DevicePaths.h"
#include "platform/Registry.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace tarvo {

QString StartOptions::configPath() const
{
    Registry registry;
    return GetConfigFilePath({configOption, &registry, executablePath, QString()});
}

QString StartOptions::deviceRoot() const
{
    return rootOption.isEmpty() ? DevicePaths::defaultRoot() : rootOption;
}

QString StartOptions::stateFolder() const
{
#if QT_VERSION >= QT_VERSION_CHECK(6, 7, 0)
    QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericStateLocation);
#else
    // A relative folder in the variable is not to be used, the XDG rules say.
    QString folder = qEnvironmentVariable("XDG_STATE_HOME");
    if (folder.isEmpty() || QDir::isRelativePath(folder))
        folder = QDir::homePath() + QStringLiteral("/.local/state");
#endif
    return folder + QStringLiteral("/tarvo");
}

QString StartOptions::windowStatePath() const
{
    return stateFolder() + QStringLiteral("/window.ini");
}

QString StartOptions::readmePath() const
{
    QStringList candidates;
    if (!executablePath.isEmpty())
        candidates.append(QFileInfo(executablePath).absolutePath() +
                          QStringLiteral("/../share/doc/tarvo/README.md"));
    // A program run from its build folder has no installed README.
    candidates.append(QStringLiteral(TARVO_SOURCE_README));
    for (const QString& candidate : std::as_const(candidates)) {
        if (QFileInfo(candidate).isFile())
            return QFileInfo(candidate).canonicalFilePath();
    }
    return QString();
}

} // namespace tarvo
