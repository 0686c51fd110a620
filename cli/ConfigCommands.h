#pragma once

#include "cli/Command.h"

namespace tarvo {

struct Session;

// tarvo config show
int RunConfigCommand(const QStringList& arguments, const StartOptions& environment);
// tarvo sessions
int RunSessionsCommand(const QStringList& arguments, const StartOptions& environment);

// One line of `tarvo sessions` for a session line; never shows the password.
QString SessionSummary(const Session& session, bool isDefault);

} // namespace tarvo
