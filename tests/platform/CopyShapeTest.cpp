#include "platform/copy/CopyShape.h"

#include <functional>
#include <gtest/gtest.h>

namespace tarvo::test {
namespace {

using Clock = CopyShapeGrowth::Clock;
constexpr qint64 MiB = qint64(1) << 20;
constexpr quint64 GiB = quint64(1) << 30;

const QList<CopyShape> Steps{{2 * MiB, 3}, {8 * MiB, 3}, {8 * MiB, 5}, {8 * MiB, 7}};

// A copy of `total` bytes whose speed in each shape is `bytesPerSecond`:
// its blocks arrive one after another, each in the shape of its time.
// The shapes it went through, in order.
QList<CopyShape> Copy(quint64 total, const std::function<double(const CopyShape&)>& bytesPerSecond)
{
    Clock::time_point now{};
    CopyShapeGrowth growth(Steps, now);
    QList<CopyShape> shapes{growth.current()};
    for (quint64 done = 0; done < total;) {
        const CopyShape shape = growth.current();
        now += std::chrono::duration_cast<Clock::duration>(
            std::chrono::duration<double>(double(shape.block) / bytesPerSecond(shape)));
        done += quint64(shape.block);
        if (growth.arrived(quint64(shape.block), now))
            shapes.append(growth.current());
    }
    return shapes;
}

// Nearby, where the processors set the speed, bigger blocks are tried once
// and given up; far away, where each session waits on round trips, every
// step pays and the copy ends in the last one; a step that pays only a
// little is undone, as one that costs. A copy too short to measure keeps its
// first shape, and a shape whose sessions could not all be had is where the
// growth stops.
TEST(CopyShapeTest, GrowsOnlyWhileEachStepRaisesTheSpeedClearly)
{
    EXPECT_EQ(Copy(GiB, [](const CopyShape&) { return 1500.0 * MiB; }),
              QList<CopyShape>({Steps[0], Steps[1], Steps[0]}));
    // Each session moves one block per 10 ms round trip, plus its time on a
    // link of 1 GB/s.
    const auto far = [](const CopyShape& shape) {
        const double perBlock = 0.010 + double(shape.block) / 1e9;
        return shape.sessions * double(shape.block) / perBlock;
    };
    EXPECT_EQ(Copy(4 * GiB, far), Steps);
    EXPECT_EQ(Copy(8 * MiB, far), QList<CopyShape>{Steps[0]});
    // Bigger blocks pay; more sessions gain only 10%, or cost: back to three.
    for (const double fiveSessions : {440.0, 300.0}) {
        const auto speed = [fiveSessions](const CopyShape& shape) {
            const double perSecond = shape.block == 2 * MiB ? 200.0
                                     : shape.sessions == 3  ? 400.0
                                                            : fiveSessions;
            return perSecond * MiB;
        };
        EXPECT_EQ(Copy(4 * GiB, speed), QList<CopyShape>({Steps[0], Steps[1], Steps[2], Steps[1]}));
    }

    Clock::time_point now{};
    CopyShapeGrowth growth(Steps, now);
    while (growth.current() == Steps[0]) {
        now += std::chrono::milliseconds(20);
        growth.arrived(2 * MiB, now);
    }
    EXPECT_EQ(growth.current(), Steps[1]);
    growth.fellShort(2);
    for (int block = 0; block < 1000; ++block) {
        now += std::chrono::milliseconds(1);
        EXPECT_FALSE(growth.arrived(8 * MiB, now));
    }
    EXPECT_EQ(growth.current(), (CopyShape{8 * MiB, 2}));
}

} // namespace
} // namespace tarvo::test
