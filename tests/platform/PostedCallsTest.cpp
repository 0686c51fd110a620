#include "platform/PostedCalls.h"

#include <gtest/gtest.h>
#include <QCoreApplication>
#include <QEventLoop>
#include <QPointer>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <thread>

namespace tarvo {
namespace {

// Calls of other threads run on the object's thread, each thread's in their
// order. A call that opens an event loop of its own (a dialog) does not hold
// up the calls after it; calls still waiting when the object goes never run.
TEST(PostedCallsTest, RunInOrderOnTheObjectsThreadAlsoInsideALoopAndNotAfterIt)
{
    auto calls = std::make_unique<PostedCalls>();
    // Touched only on this thread: a call run anywhere else is a race.
    std::vector<std::pair<int, int>> ran;
    bool allOnThisThread = true;
    QThread* const here = QThread::currentThread();
    const auto post = [&](int poster) {
        for (int i = 0; i < 500; ++i)
            calls->post([&, poster, i] {
                allOnThisThread = allOnThisThread && QThread::currentThread() == here;
                ran.emplace_back(poster, i);
            });
    };
    std::thread first(post, 0), second(post, 1);
    first.join();
    second.join();
    ASSERT_TRUE(QTest::qWaitFor([&] { return ran.size() == 1000; })) << ran.size();
    EXPECT_TRUE(allOnThisThread);
    int next[2] = {0, 0};
    for (const auto& [poster, i] : ran)
        EXPECT_EQ(next[poster]++, i);

    bool innerRan = false;
    bool innerRanInsideTheLoop = false;
    std::thread([&] {
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
        });
        calls->post([] {}); // waits behind the call with the loop
    }).join();
    ASSERT_TRUE(QTest::qWaitFor([&] { return innerRan; }));
    EXPECT_TRUE(innerRanInsideTheLoop);

    auto guard = std::make_shared<int>(0);
    bool ranLate = false;
    std::thread([&, guard] { calls->post([&ranLate, guard] { ranLate = true; }); }).join();
    calls.reset();
    EXPECT_EQ(guard.use_count(), 1); // the waiting call is gone
    QCoreApplication::processEvents();
    EXPECT_FALSE(ranLate);
}

} // namespace
} // namespace tarvo
