#include "core/transfer/SendRequest.h"

#include "config/NetSession.h"
#include "config/PathHelpers.h"
#include "platform/MessageService.h"

namespace tarvo {

TransferList BuildTransferList(const FileRows& selectedRows)
{
    TransferList entries;
    entries.reserve(selectedRows.size());
    for (const FileRow& row : selectedRows)
        entries.append({row.session, AddTrailingSeparator(row.path) + row.name});
    return entries;
}

QList<quint64> TransferSizes(const FileRows& selectedRows)
{
    QList<quint64> sizes;
    sizes.reserve(selectedRows.size());
    for (const FileRow& row : selectedRows)
        sizes.append(row.bytes);
    return sizes;
}

bool CheckDefaultSession(const Settings& settings, MessageService& messages)
{
    if (!FirstDefaultSession(settings.DefaultSession).isEmpty())
        return true;
    messages.showMessage(QStringLiteral("Please select a default session first"), MessageIcon::Stop,
                         MessageButtons::Ok);
    return false;
}

bool CheckSelection(const TransferList& entries, MessageService& messages)
{
    if (!entries.isEmpty())
        return true;
    messages.showMessage(QStringLiteral("No items were selected"), MessageIcon::Stop,
                         MessageButtons::Ok);
    return false;
}

} // namespace tarvo
