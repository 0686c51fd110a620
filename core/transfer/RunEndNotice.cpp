#include "core/transfer/RunEndNotice.h"

#include "core/transfer/TransferObserver.h"

#include <QStringList>

namespace tarvo {

namespace {

QString Counted(int count, const char* one, const char* many)
{
    return count == 1 ? QString::fromLatin1(one) : QString::fromLatin1(many).arg(count);
}

} // namespace

DesktopNotice RunEndNotice(const RunSummary& summary)
{
    QStringList said{
        summary.total == 1
            ? QStringLiteral("%1 of 1 file sent").arg(summary.succeeded)
            : QStringLiteral("%1 of %2 files sent").arg(summary.succeeded).arg(summary.total)};
    // After a stop the files not sent were mostly never started: they did not fail.
    const int failed = summary.total - summary.succeeded;
    if (failed > 0 && !summary.cancelled)
        said.append(QStringLiteral("%1 failed").arg(failed));
    if (summary.failedPostOperations > 0)
        said.append(Counted(summary.failedPostOperations, "1 post-operation failed",
                            "%1 post-operations failed"));
    if (summary.unreachableSessions > 0)
        said.append(Counted(summary.unreachableSessions, "1 session's share was not reached",
                            "%1 sessions' shares were not reached"));
    if (summary.cancelled)
        said.append(QStringLiteral("then cancelled"));
    if (!summary.failure.isEmpty())
        said.append(QStringLiteral("broke off: ") + summary.failure);

    QString heading = QStringLiteral("Tarvo: send finished");
    if (summary.cancelled)
        heading = QStringLiteral("Tarvo: send cancelled");
    else if (!summary.complete())
        heading = QStringLiteral("Tarvo: send finished with failures");
    return {heading, said.join(QStringLiteral(", "))};
}

} // namespace tarvo
