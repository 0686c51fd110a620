#include "platform/PostedCalls.h"

#include <gtest/gtest.h>
#include <memory>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QPointer>
#include <QThread>
#include <QTimer>
#include <thread>
#include <utility>
#include <vector>

namespace tarvo {
namespace {

// Runs the event loop until done() or five seconds have passed.
template <typename Done> bool processUntil(Done done)
{
    QDeadlineTimer deadline(5000);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

TEST(PostedCallsTest, CallsOfOtherThreadsRunOnTheObjectsThreadInTheirOrder)
{
    PostedCalls calls;
    constexpr int PerThread = 500;
    // Touched only on this thread: a call run anywhere else is a race.
    std::vector<std::pair<int, int>> ran;
    bool allOnThisThread = true;
    QThread* const here = QThread::currentThread();
    std::vector<std::thread> posters;
    for (int poster = 0; poster < 2; ++poster) {
        posters.emplace_back([&, poster] {
            for (int i = 0; i < PerThread; ++i) {
                calls.post([&, poster, i] {
                    allOnThisThread = allOnThisThread && QThread::currentThread() == here;
                    ran.emplace_back(poster, i);
                });
            }
        });
    }
    for (std::thread& poster : posters)
        poster.join();
    ASSERT_TRUE(processUntil([&] { return ran.size() == 2 * PerThread; })) << ran.size();
    EXPECT_TRUE(allOnThisThread);
    int next[2] = {0, 0};
    for (const auto& [poster, i] : ran)
        EXPECT_EQ(next[poster]++, i);
}

// A call that opens an event loop of its own (a dialog) does not hold up the
// calls after it; calls still waiting when the object goes never run.
TEST(PostedCallsTest, LaterCallsRunInsideALoopOfAnEarlierOneAndWaitingOnesGoUnrun)
{
    auto calls = std::make_unique<PostedCalls>();
    bool innerRan = false;
    bool outerEnded = false;
    bool innerRanInsideTheLoop = false;
    std::thread poster([&] {
        calls->post([&] {
            QEventLoop loop;
            QTimer::singleShot(5000, &loop, &QEventLoop::quit); // a missing call ends it too
            calls->post([&innerRan, inner = QPointer<QEventLoop>(&loop)] {
                innerRan = true;
                if (inner)
                    inner->quit();
            });
            loop.exec();
            innerRanInsideTheLoop = innerRan;
            outerEnded = true;
        });
        calls->post([] {});
    });
    poster.join();
    ASSERT_TRUE(processUntil([&] { return outerEnded; }));
    EXPECT_TRUE(innerRanInsideTheLoop);

    auto guard = std::make_shared<int>(0);
    bool ranLate = false;
    std::thread([&, guard] { calls->post([&ranLate, guard] { ranLate = true; }); }).join();
    EXPECT_EQ(2, guard.use_count());
    calls.reset();
    EXPECT_EQ(1, guard.use_count());
    QCoreApplication::processEvents();
    EXPECT_FALSE(ranLate);
}

} // namespace
} // namespace tarvo
