#pragma once

#include "config/StartOptions.h"

namespace tarvo {

// tarvo with no command: the main window, until it closes; the program's
// exit status. Creates the program's QApplication itself, so it is called
// before any other.
int RunMainWindow(int& argc, char** argv, StartOptions options);

} // namespace tarvo
