#pragma once

#include "cli/Command.h"

namespace tarvo {

// tarvo config show
int RunConfigCommand(const QStringList& arguments, const StartOptions& environment);
// tarvo sessions
int RunSessionsCommand(const QStringList& arguments, const StartOptions& environment);

// One line of `tarvo sessions` for a session line; never shows the password.
QString SessionSummary(const QString& name, const QString& line, bool isDefault);

} // namespace tarvo
