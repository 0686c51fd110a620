#pragma once

#include "app/Command.h"

namespace tarvo {

// tarvo send [--yes | --no] [NAME ...]
int RunSendCommand(const QStringList& arguments, const CommandEnvironment& environment);

} // namespace tarvo
