#pragma once

#include <QString>

namespace tarvo {

// tarvo with no command: the main window, until it closes. Creates the
// program's QApplication itself, so it is called before any other.
int RunMainWindow(int& argc, char** argv, const QString& configOption, const QString& rootOption);

} // namespace tarvo
