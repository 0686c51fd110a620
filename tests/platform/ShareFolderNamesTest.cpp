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
    ShareFolderNames::Lister lister()
    {
        return [this] {
            ++calls;
            return names;
        };
    }
};

// Asks about a name in the folder until it has been listed `times` in all.
void AskUntilListed(ShareFolderNames& known, Listing& listing, int times = 1)
{
    const QDeadlineTimer deadline(5000);
    while (listing.calls < times && !deadline.hasExpired())
        known.isKnownAbsent("smb://s/a", "x.txt", listing.lister());
    EXPECT_EQ(listing.calls, times);
}

TEST(ShareFolderNamesTest, AFolderIsListedOnlyOnceARunOfCopiesAsksAboutIt)
{
    ShareFolderNames known(1h);
    Listing listing{QSet<QString>{"report.txt"}};
    for (int i = 1; i < ShareFolderNames::ListAfterQuestions; ++i)
        EXPECT_FALSE(known.isKnownAbsent("smb://s/a", "new.txt", listing.lister()));
    EXPECT_TRUE(known.isKnownAbsent("smb://s/a", "new.txt", listing.lister()));
    EXPECT_FALSE(known.isKnownAbsent("smb://s/a", "REPORT.TXT", listing.lister()));
    // Names that the program adds count at once; another folder is asked about on its own.
    known.added("smb://s/a", "Copied.txt");
    EXPECT_FALSE(known.isKnownAbsent("smb://s/a", "copied.TXT", listing.lister()));
    EXPECT_FALSE(known.isKnownAbsent("smb://s/b", "new.txt", listing.lister()));
    EXPECT_EQ(listing.calls, 1);
}

TEST(ShareFolderNamesTest, AFailedOrExpiredListingIsNeverTrusted)
{
    ShareFolderNames failing(1h);
    Listing broken{std::nullopt};
    AskUntilListed(failing, broken);
    EXPECT_FALSE(failing.isKnownAbsent("smb://s/a", "new.txt", broken.lister()));

    // Trusted for no time at all: the folder is listed again, not taken as it was.
    ShareFolderNames untrusted(0ms);
    Listing listing{QSet<QString>{}};
    AskUntilListed(untrusted, listing, 2);
}

} // namespace
} // namespace tarvo
