#include "config/StartOptions.h"

#include "config/ConfigStore.h"
#include "platform/DevicePaths.h"
#include "platform/Registry.h"

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

} // namespace tarvo
