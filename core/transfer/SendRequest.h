#pragma once

#include "core/filelist/FileRow.h"
#include "core/transfer/TransferRun.h"

namespace tarvo {

class MessageService;

// One entry per row, in the order given: the Session column, and the Path
// column with its trailing separator followed by the File Name column.
TransferList BuildTransferList(const FileRows& selectedRows);
// The rows' sizes, in the same order.
QList<quint64> TransferSizes(const FileRows& selectedRows);

// Send's two refusals, each shown with the stop icon and checked in this
// order: no default session, then no row selected. True when Send may go on.
bool CheckDefaultSession(const Settings& settings, MessageService& messages);
bool CheckSelection(const TransferList& entries, MessageService& messages);

} // namespace tarvo
