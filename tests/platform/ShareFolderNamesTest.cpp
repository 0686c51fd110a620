#include "platform/smb/ShareFolderNames.h"

#include <gtest/gtest.h>

namespace tarvo {
namespace {

using namespace std::chrono_literals;

// A folder's listing, counted.
struct Listing
{
    std::optional<QSet<QString>> names;
    int calls = 0;
    std::optional<QSet<QString>> operator()()
    {
        ++calls;
        return names;
    }
};

// Asks about a name in another folder until it has been listed `times` in all.
void AskUntilListed(ShareFolderNames& known, Listing& listing, int times = 1)
{
    const QDeadlineTimer deadline(5000);
    while (listing.calls < times && !deadline.hasExpired())
        known.isKnownAbsent("smb://s/b", "x.txt", std::ref(listing));
    EXPECT_EQ(listing.calls, times);
}

// A folder is listed only once a run of copies has asked about it often
// enough, and each folder on its own; names that the program adds count at
// once. A failed or an expired listing is never trusted.
TEST(ShareFolderNamesTest, AFolderIsListedOnceARunOfCopiesAsksAboutItAndTrustedAWhile)
{
    ShareFolderNames known(1h);
    Listing listing{QSet<QString>{"report.txt"}};
    for (int i = 1; i < ShareFolderNames::ListAfterQuestions; ++i)
        EXPECT_FALSE(known.isKnownAbsent("smb://s/a", "new.txt", std::ref(listing)));
    EXPECT_TRUE(known.isKnownAbsent("smb://s/a", "new.txt", std::ref(listing)));
    EXPECT_FALSE(known.isKnownAbsent("smb://s/a", "REPORT.TXT", std::ref(listing)));
    known.added("smb://s/a", "Copied.txt");
    EXPECT_FALSE(known.isKnownAbsent("smb://s/a", "copied.TXT", std::ref(listing)));
    Listing broken{std::nullopt};
    AskUntilListed(known, broken);
    EXPECT_FALSE(known.isKnownAbsent("smb://s/b", "new.txt", std::ref(broken)));
    EXPECT_EQ(listing.calls, 1);

    // Trusted for no time at all: the folder is listed again, not taken as it was.
    ShareFolderNames untrusted(0ms);
    Listing empty{QSet<QString>{}};
    AskUntilListed(untrusted, empty, 2);
}

} // namespace
} // namespace tarvo
