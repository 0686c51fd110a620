#include "core/copy/CopyAhead.h"

#include "core/copy/CopyDepth.h"
#include "tests/support/MemoryFileSystem.h"

#include <gtest/gtest.h>
#include <latch>

namespace tarvo::test {
namespace {

// Ends `copies` copies one after another, each 1 / rate(depth) seconds after
// the one before, at the depth of the moment, with the depth from `first` to
// `most`; the depths it went through.
std::vector<int> depthsUnder(int first, int most, int copies, double (*rate)(int))
{
    CopyDepth depth(first, most);
    CopyDepth::Clock::time_point now{};
    std::vector<int> seen{depth.current()};
    for (int i = 0; i < copies; ++i) {
        now += std::chrono::duration_cast<CopyDepth::Clock::duration>(
            std::chrono::duration<double>(1.0 / rate(depth.current())));
        if (depth.copyEnded(now, depth.generation()))
            seen.push_back(depth.current());
    }
    return seen;
}

// Over a link with round trips each copy mostly waits, and every copy added
// carries more files; on a busy server more copies only cost it. The depth
// doubles while that clearly pays, goes back when a doubling did worse, and
// keeps a doubling that did a little better without growing further.
TEST(CopyDepthTest, GrowsWhileFilesPerSecondRiseAndGoesBackWhereTheyNoLongerDo)
{
    // Files per second at each depth, and the depths a run of 2000 goes
    // through: a slow link, a busy server, one full at 8, one where 8 gains little.
    const std::pair<double (*)(int), std::vector<int>> links[] = {
        {[](int depth) { return 10.0 * depth; }, {4, 8, 16}},
        {[](int depth) { return depth <= 4 ? 1000.0 : 900.0; }, {4, 8, 4}},
        {[](int depth) { return depth <= 8 ? 100.0 * depth : 760.0; }, {4, 8, 16, 8}},
        {[](int depth) { return depth <= 4 ? 1000.0 : 1050.0; }, {4, 8}},
    };
    for (const auto& [rate, depths] : links)
        EXPECT_EQ(depthsUnder(4, 16, 2000, rate), depths);
    EXPECT_EQ(depthsUnder(6, 6, 500, links[0].first), (std::vector{6}));

    // Copies started before a change (the last ones at the old depth) tell
    // nothing about the new one, however they end.
    CopyDepth changed(2, 16);
    CopyDepth::Clock::time_point now{};
    while (changed.generation() == 0)
        changed.copyEnded(now += std::chrono::milliseconds(10), 0);
    for (int i = 0; i < 1000; ++i)
        EXPECT_FALSE(changed.copyEnded(now += std::chrono::seconds(1), 0));
    EXPECT_EQ(changed.current(), 4);
}

// What the run shows of a file comes from its copy's own open: a file whose
// blocks still move is shown at once, with the version the copy reads; a
// source that cannot be opened shows nothing, and its copy says why.
TEST(CopyAheadTest, TheNextSourceIsTheVersionItsCopyOpened)
{
    MemoryFileSystem files;
    const QByteArray big(3 * MemoryFileSystem::DeviceBlock, 'b');
    files.addFile("\\In\\big.bin", big, 133000272000000000);
    files.addFolder("\\Out");
    std::latch release(1);
    files.setBlockHook([&](const QString& source, quint64) {
        if (source.endsWith("big.bin"))
            release.wait();
    });
    CopyAhead ahead(files,
                    {{"\\In\\big.bin", "\\Out\\big.bin"}, {"\\In\\gone.txt", "\\Out\\gone.txt"}});

    const std::optional<FileInfo> shown = ahead.nextSource();
    ASSERT_TRUE(shown.has_value());
    EXPECT_EQ(shown->Size, quint64(big.size()));
    EXPECT_EQ(shown->LastWriteTime, 133000272000000000u);
    EXPECT_FALSE(files.exists("\\Out\\big.bin")); // still on its way
    release.count_down();
    const CopyOutcome copied = ahead.takeNext();
    EXPECT_EQ(copied.error, 0);
    EXPECT_TRUE(SameVersion(copied.source, *shown));

    EXPECT_FALSE(ahead.nextSource().has_value());
    EXPECT_EQ(ahead.takeNext().error, PlatformError::FileNotFound);
}

} // namespace
} // namespace tarvo::test
