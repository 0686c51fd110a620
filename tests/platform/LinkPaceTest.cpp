#include "platform/smb/LinkPace.h"

#include <gtest/gtest.h>

namespace tarvo::test {
namespace {

using std::chrono::milliseconds;

// Big copies move bigger blocks only to a server whose logons all took long:
// one slow logon among fast ones waited for something else.
TEST(LinkPaceTest, OnlyAServerThatAlwaysAnswersSlowlyGetsBigBlocks)
{
    LinkPace nothingYet;
    EXPECT_EQ(nothingYet.blockSize(), LinkPace::NearBlock);

    LinkPace far;
    far.logonTook(milliseconds(250));
    far.logonTook(milliseconds(180));
    EXPECT_EQ(far.blockSize(), LinkPace::FarBlock);

    LinkPace nearButBusy;
    nearButBusy.logonTook(milliseconds(400));
    nearButBusy.logonTook(milliseconds(6));
    nearButBusy.logonTook(milliseconds(300));
    EXPECT_EQ(nearButBusy.blockSize(), LinkPace::NearBlock);
}

} // namespace
} // namespace tarvo::test
