#include "core/transfer/RunProgress.h"

#include "core/transfer/ProgressTexts.h"
#include "core/transfer/TransferRate.h"
#include "tests/support/QtPrinters.h"

#include <gtest/gtest.h>
#include <QLocale>
#include <thread>

namespace tarvo {
namespace {

using namespace std::chrono_literals;

constexpr quint64 MiB = 1 << 20;

TEST(RunProgress, TheBarWeighsEachFileBySizeAndStillMovesWithEmptyFiles)
{
    // Three empty files: each one done is a third of the run.
    RunProgress empty(3, {0, 0, 0});
    EXPECT_EQ(empty.snapshot().percent(), 0);
    empty.finish(0);
    EXPECT_EQ(empty.snapshot().percent(), 33);
    empty.finish(1);
    empty.finish(2);
    EXPECT_EQ(empty.snapshot().percent(), 100);

    // A big file next to a small one: half of the big one is half the bar.
    RunProgress run(2, {64 * MiB, 1024});
    run.show(0, 1, 64 * MiB);
    run.watcher(0, nullptr)->blockCopied(32 * MiB, 64 * MiB);
    const ProgressSnapshot half = run.snapshot();
    EXPECT_EQ(half.percent(), 49);
    EXPECT_EQ(half.fileNumber, 1);
    EXPECT_EQ(half.fileDone, 32 * MiB);
    EXPECT_EQ(half.fileSize, 64 * MiB);
    EXPECT_EQ(half.bytesDone, 32 * MiB);
    EXPECT_EQ(half.bytesTotal, 64 * MiB + 1024);
}

TEST(RunProgress, ACopyTriedAgainGoesBackAndAFileLeftCountsOnce)
{
    RunProgress run(2, {1000, 500});
    CopyWatcher* first = run.watcher(0, nullptr);
    run.show(0, 1, 1000);
    first->blockCopied(600, 1000);
    first->blockCopied(200, 1000); // tried again from the start
    EXPECT_EQ(run.snapshot().bytesDone, 200u);
    EXPECT_EQ(run.snapshot().fileDone, 200u);

    // A copy that failed halfway counts as done once the run leaves it, and
    // only once however often it is finished.
    run.finish(0);
    run.finish(0);
    EXPECT_EQ(run.snapshot().bytesDone, 1000u);

    // A source that grew since the list was made counts no more than its
    // listed size in the run, while the file's own bytes show what arrived.
    run.show(1, 2, 800);
    run.watcher(1, nullptr)->blockCopied(800, 800);
    const ProgressSnapshot grown = run.snapshot();
    EXPECT_EQ(grown.bytesDone, 1500u);
    EXPECT_EQ(grown.fileDone, 800u);
    EXPECT_EQ(grown.fileNumber, 2);
    run.finish(1);
    EXPECT_EQ(run.snapshot().percent(), 100);
}

// Blocks of several copies arrive from their own threads while the window
// looks: every byte is counted once (ThreadSanitizer watches the rest).
TEST(RunProgress, BlocksFromSeveralThreadsAreAllCounted)
{
    constexpr int Files = 4;
    constexpr quint64 Blocks = 2000;
    RunProgress run(Files, QList<quint64>(Files, Blocks * 10));
    std::vector<std::thread> copies;
    for (int i = 0; i < Files; ++i) {
        copies.emplace_back([&run, i] {
            CopyWatcher* watcher = run.watcher(i, nullptr);
            for (quint64 block = 1; block <= Blocks; ++block)
                watcher->blockCopied(block * 10, Blocks * 10);
        });
    }
    // The bar never goes back while the copies only go on.
    quint64 seen = 0;
    bool wentBack = false;
    while (seen < Files * Blocks * 10) {
        const quint64 now = run.snapshot().bytesDone;
        wentBack = wentBack || now < seen;
        seen = now;
    }
    EXPECT_FALSE(wentBack);
    for (std::thread& copy : copies)
        copy.join();
    for (int i = 0; i < Files; ++i)
        run.finish(i);
    EXPECT_EQ(run.snapshot().bytesDone, Files * Blocks * 10);
    EXPECT_EQ(run.snapshot().percent(), 100);
}

TEST(TransferRate, TheSpeedFollowsTheLastSecondsAndStartsOverWhenACopyGoesBack)
{
    const TransferRate::Clock::time_point start;
    TransferRate rate;
    EXPECT_FALSE(rate.bytesPerSecond());
    rate.add(start, 0);
    rate.add(start, 5 * MiB); // the same moment: no speed yet
    EXPECT_FALSE(rate.bytesPerSecond());
    EXPECT_EQ(rate.text(MiB), QString());

    rate.add(start + 1s, 10 * MiB);
    EXPECT_DOUBLE_EQ(*rate.bytesPerSecond(), 10.0 * MiB);
    EXPECT_EQ(*rate.timeLeft(25 * MiB), 3s); // rounded up

    // A link that slows down: after the window only the slow part counts.
    for (int second = 2; second <= 12; ++second)
        rate.add(start + std::chrono::seconds(second), 10 * MiB + quint64(second - 1) * MiB);
    EXPECT_DOUBLE_EQ(*rate.bytesPerSecond(), double(MiB));

    // A copy tried again from its start.
    rate.add(start + 13s, MiB);
    EXPECT_FALSE(rate.bytesPerSecond());
    rate.add(start + 15s, 3 * MiB);
    EXPECT_DOUBLE_EQ(*rate.bytesPerSecond(), double(MiB));

    // A stalled link has a speed but no time left.
    TransferRate stalled;
    stalled.add(start, MiB);
    stalled.add(start + 2s, MiB);
    EXPECT_FALSE(stalled.timeLeft(MiB));
}

class ProgressTextsTest : public ::testing::Test
{
protected:
    void SetUp() override { QLocale::setDefault(QLocale::c()); }
    void TearDown() override { QLocale::setDefault(QLocale::system()); }
};

TEST_F(ProgressTextsTest, SizesSpeedsAndTimesLeftReadShort)
{
    EXPECT_EQ(DataSizeText(0), "0 bytes");
    EXPECT_EQ(BytesOfText(12'900'000, 1 << 30), "12.3 MB of 1.0 GB");
    EXPECT_EQ(SpeedText(1536), "1.5 kB/s");

    EXPECT_EQ(TimeLeftText(0s), "0 s left");
    EXPECT_EQ(TimeLeftText(59s), "59 s left");
    EXPECT_EQ(TimeLeftText(60s), "1 min left");
    EXPECT_EQ(TimeLeftText(61s), "2 min left"); // never promises too little
    EXPECT_EQ(TimeLeftText(3600s), "1 h 0 min left");
    EXPECT_EQ(TimeLeftText(2h + 4min + 1s), "2 h 5 min left");

    const TransferRate::Clock::time_point start;
    TransferRate rate;
    rate.add(start, 0);
    rate.add(start + 2s, 4 * MiB);
    EXPECT_EQ(rate.text(3 * MiB), "2.0 MB/s, 2 s left");
}

} // namespace
} // namespace tarvo
