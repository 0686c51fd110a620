#include "core/transfer/RunEndNotice.h"
#include "core/transfer/TransferObserver.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

RunSummary Summary(int succeeded, int total, int failedPostOperations = 0, int unreachable = 0,
                   bool cancelled = false, const QString& failure = {})
{
    RunSummary summary;
    summary.succeeded = succeeded;
    summary.total = total;
    summary.failedPostOperations = failedPostOperations;
    summary.unreachableSessions = unreachable;
    summary.cancelled = cancelled;
    summary.failure = failure;
    return summary;
}

// The notice says whether the run went through, then what it sent and what
// went wrong. After a stop the files not sent are not called failed: most of
// them were never started.
TEST(RunNoticesTest, TheEndOfARunSaysHowManyFilesWereSentAndWhatWentWrong)
{
    const QList<std::pair<RunSummary, QString>> cases{
        {Summary(12, 12), "finished: 12 of 12 files sent"},
        {Summary(0, 1), "finished with failures: 0 of 1 file sent, 1 failed"},
        {Summary(12, 12, 1),
         "finished with failures: 12 of 12 files sent, 1 post-operation failed"},
        {Summary(10, 12, 3),
         "finished with failures: 10 of 12 files sent, 2 failed, 3 post-operations failed"},
        {Summary(4, 9, 0, 2), "finished with failures: 4 of 9 files sent, 5 failed, 2 sessions' "
                              "shares were not reached"},
        {Summary(3, 12, 1, 0, true),
         "cancelled: 3 of 12 files sent, 1 post-operation failed, then cancelled"},
        {Summary(2, 5, 0, 0, false, "out of memory"),
         "finished with failures: 2 of 5 files sent, 3 failed, broke off: out of memory"},
    };
    for (const auto& [summary, said] : cases) {
        const DesktopNotice notice = RunEndNotice(summary);
        EXPECT_EQ(notice.summary + ": " + notice.body, "Tarvo: send " + said);
    }
}

} // namespace
} // namespace tarvo
