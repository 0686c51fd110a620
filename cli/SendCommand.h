#pragma once

#include "cli/Command.h"

namespace tarvo {

// tarvo send [--yes | --no] [NAME ...]
int RunSendCommand(const QStringList& arguments, const StartOptions& environment);

} // namespace tarvo
