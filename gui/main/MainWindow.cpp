#include "gui/main/MainWindow.h"

#include "gui/browse/BrowseHandler.h"
#include "gui/main/SendApp.h"
#include "gui/options/OptionHandler.h"
#include "gui/progress/SendHandler.h"

#include <cstdio>
#include <QApplication>

namespace tarvo {

int RunMainWindow(int& argc, char** argv, StartOptions options)
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
    options.executablePath = QCoreApplication::applicationFilePath();
    CSendApp app(options.configPath(), options.deviceRoot());
    app.setDialogHandlers({&OnSend, &OnOption, &OnBrowse, &OnPreview, &OnAddShare});
    app.setWindowStatePath(options.windowStatePath());
    app.setRunLogFolder(options.stateFolder());
    app.setAboutPaths(options.stateFolder(), options.readmePath());
    return app.InitInstance() == 0 ? ExitSuccess : ExitUsage;
}

} // namespace tarvo
