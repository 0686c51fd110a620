#include "app/MainWindow.h"

#include "app/Command.h"
#include "sessions/BrowseHandler.h"
#include "transfer/SendHandler.h"
#include "ui/options/OptionHandler.h"
#include "ui/SendApp.h"

#include <cstdio>
#include <QApplication>
#include <QFileInfo>

namespace tarvo {

int RunMainWindow(int& argc, char** argv, const QString& configOption, const QString& rootOption)
{
    // Without a display Qt would abort with a message about its platform plugin.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") &&
        qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        std::fprintf(stderr, "tarvo: there is no display to open the main window on. Start it "
                             "from a desktop session, or use a command such as 'tarvo list' or "
                             "'tarvo send' (see 'tarvo --help').\n");
        return ExitUsage;
    }
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
