#include "core/transfer/RunProgress.h"

#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

constexpr quint64 MiB = 1 << 20;

// Each file weighs its bytes: empty files still move the bar; half of a big
// file is half the bar. A copy tried again goes back; a file left counts
// once; a source that grew counts no more than its listed size in the run.
// The transfer and window tests count blocks from several copies at once.
TEST(RunProgress, TheBarWeighsEachFileBySize)
{
    RunProgress empty(3, {0, 0, 0});
    empty.finish(0);
    EXPECT_EQ(empty.snapshot().percent(), 33);
    RunProgress grown(2, {1024, 1024});
    grown.watcher(0, nullptr)->blockCopied(4096, 4096);
    EXPECT_EQ(grown.snapshot().bytesDone, 1024u);

    RunProgress run(2, {64 * MiB, 1024});
    run.show(0, 1, 64 * MiB);
    run.watcher(0, nullptr)->blockCopied(40 * MiB, 64 * MiB);
    run.watcher(0, nullptr)->blockCopied(32 * MiB, 64 * MiB); // tried again from the start
    EXPECT_EQ(run.snapshot().percent(), 49);
    EXPECT_EQ(run.snapshot().fileDone, 32 * MiB);
    run.finish(0);
    run.finish(0);
    EXPECT_EQ(run.snapshot().bytesDone, 64 * MiB);
    run.show(1, 2, 1024);
    run.watcher(1, nullptr)->blockCopied(1024, 1024);
    run.finish(1);
    EXPECT_EQ(run.snapshot().percent(), 100);
}

} // namespace
} // namespace tarvo
