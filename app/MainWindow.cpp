#include "app/MainWindow.h"

#include "app/Command.h"
#include "sessions/BrowseHandler.h"
#include "transfer/SendHandler.h"
#include "ui/options/OptionHandler.h"
#include "ui/SendApp.h"

#include <QApplication>
#include <QFileInfo>

namespace tarvo {

int RunMainWindow(int& argc, char** argv, const QString& configOption, const QString& rootOption)
{
    QApplication application(argc, argv);
    CommandEnvironment environment;
    environment.configOption = configOption;
    environment.rootOption = rootOption;
    environment.executablePath = QCoreApplication::applicationFilePath();
    if (!rootOption.isEmpty() && !QFileInfo(rootOption).isDir())
        return UsageError(QStringLiteral("--root %1 is not a folder").arg(rootOption));

    CSendApp app(environment.configPath(), environment.deviceRoot());
    app.setDialogHandlers({&OnSend, &OnOption, &OnBrowse});
    return app.InitInstance() == 0 ? ExitSuccess : ExitUsage;
}

} // namespace tarvo
