#include "platform/smb/ShareFolderNames.h"

#include <gtest/gtest.h>
#include <QThread>

namespace tarvo {
namespace {

using namespace std::chrono_literals;

struct CountingLister
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

// Asks about the same folder until it has been listed once.
void askUntilListed(ShareFolderNames& known, const QByteArray& folder, CountingLister& listing)
{
    for (int i = 0; i < ShareFolderNames::ListAfterQuestions && listing.calls == 0; ++i)
        known.isKnownAbsent(folder, "x.txt", listing.lister());
}

TEST(ShareFolderNamesTest, ListsAFolderOnlyOnceARunOfCopiesAsksAboutIt)
{
    ShareFolderNames known(1h);
    CountingLister listing{QSet<QString>{"report.txt"}};
    for (int i = 1; i < ShareFolderNames::ListAfterQuestions; ++i)
        EXPECT_FALSE(known.isKnownAbsent("smb://s/a", "new.txt", listing.lister()));
    EXPECT_EQ(0, listing.calls);

    EXPECT_TRUE(known.isKnownAbsent("smb://s/a", "new.txt", listing.lister()));
    EXPECT_FALSE(known.isKnownAbsent("smb://s/a", "REPORT.TXT", listing.lister()));
    EXPECT_EQ(1, listing.calls);
    // Another folder has its own questions and listing.
    EXPECT_FALSE(known.isKnownAbsent("smb://s/b", "new.txt", listing.lister()));
    EXPECT_EQ(1, listing.calls);
}

TEST(ShareFolderNamesTest, NamesThatTheProgramAddsAreTakenAtOnce)
{
    ShareFolderNames known(1h);
    CountingLister listing{QSet<QString>{}};
    askUntilListed(known, "smb://s/a", listing);
    ASSERT_TRUE(known.isKnownAbsent("smb://s/a", "Copied.txt", listing.lister()));
    known.added("smb://s/a", "Copied.txt");
    EXPECT_FALSE(known.isKnownAbsent("smb://s/a", "copied.TXT", listing.lister()));
    EXPECT_EQ(1, listing.calls);
}

TEST(ShareFolderNamesTest, AFailedOrStaleListingIsNeverTrusted)
{
    ShareFolderNames failing(1h);
    CountingLister broken{std::nullopt};
    askUntilListed(failing, "smb://s/a", broken);
    EXPECT_EQ(1, broken.calls);
    EXPECT_FALSE(failing.isKnownAbsent("smb://s/a", "new.txt", broken.lister()));

    ShareFolderNames shortLived(0ms);
    CountingLister listing{QSet<QString>{}};
    askUntilListed(shortLived, "smb://s/a", listing);
    QThread::msleep(20); // ten times a listing that took no time at all
    EXPECT_FALSE(shortLived.isKnownAbsent("smb://s/a", "new.txt", listing.lister()));
    EXPECT_EQ(1, listing.calls);
}

} // namespace
} // namespace tarvo
