#include "core/transfer/RunEndNotice.h"
#include "core/transfer/TransferObserver.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

// Designated initializers name only the fields that a case sets.
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"

namespace tarvo {
namespace {

// The notice says whether the run went through, then what it sent and what
// went wrong. After a stop the files not sent are not called failed: most of
// them were never started.
TEST(RunNoticesTest, TheEndOfARunSaysHowManyFilesWereSentAndWhatWentWrong)
{
    const QList<std::pair<RunSummary, QString>> cases{
        {{.succeeded = 12, .total = 12}, "finished: 12 of 12 files sent"},
        {{.succeeded = 0, .total = 1}, "finished with failures: 0 of 1 file sent, 1 failed"},
        {{.succeeded = 12, .total = 12, .failedPostOperations = 1},
         "finished with failures: 12 of 12 files sent, 1 post-operation failed"},
        {{.succeeded = 10, .total = 12, .failedPostOperations = 3},
         "finished with failures: 10 of 12 files sent, 2 failed, 3 post-operations failed"},
        {{.succeeded = 4, .total = 9, .unreachableSessions = 2},
         "finished with failures: 4 of 9 files sent, 5 failed, 2 sessions' shares were not "
         "reached"},
        {{.succeeded = 3, .total = 12, .failedPostOperations = 1, .cancelled = true},
         "cancelled: 3 of 12 files sent, 1 post-operation failed, then cancelled"},
        {{.succeeded = 2, .total = 5, .failure = "out of memory"},
         "finished with failures: 2 of 5 files sent, 3 failed, broke off: out of memory"},
    };
    for (const auto& [summary, said] : cases) {
        const DesktopNotice notice = RunEndNotice(summary);
        EXPECT_EQ(notice.summary + ": " + notice.body, "Tarvo: send " + said);
    }
}

} // namespace
} // namespace tarvo
