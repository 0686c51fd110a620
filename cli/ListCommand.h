#pragma once

#include "cli/Command.h"
#include "core/filelist/FileRow.h"

namespace tarvo {

// tarvo list: the rows that a refresh of the main list fills, one per line,
// the five columns separated by tabs, in list order.
int RunListCommand(const QStringList& arguments, const StartOptions& environment);

// One printed line of a row.
QString ListLine(const FileRow& row);

} // namespace tarvo
