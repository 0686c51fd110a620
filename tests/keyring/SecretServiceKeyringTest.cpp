// The program's passwords in a real Secret Service (GNOME Keyring on a
// private bus): what is stored under which attributes, items a script made,
// replacing and removing, and a keyring that is locked.
#include "platform/keyring/SecretServiceKeyring.h"

#include "tests/support/PrivateKeyring.h"

#include <algorithm>
#include <gtest/gtest.h>

namespace tarvo::test {
namespace {

class SecretServiceKeyringTest : public ::testing::Test
{
protected:
    static void SetUpTestSuite()
    {
        s_keyring = std::make_unique<PrivateKeyring>();
        s_started = PrivateKeyring::isInstalled() && s_keyring->start();
    }
    static void TearDownTestSuite() { s_keyring.reset(); }
    void SetUp() override
    {
        ASSERT_TRUE(s_started) << "the keyring tests need dbus-daemon, gnome-keyring and "
                                  "libsecret-tools: "
                               << s_keyring->error().toStdString();
    }
    void TearDown() override
    {
        s_keyring->unlock();
        for (const char* session : {"Office", "Scanner", "Home"})
            keyring.remove(session);
    }
    QList<KeyringItem> load(KeyringResult::Status expected = KeyringResult::Status::Done)
    {
        QList<KeyringItem> items;
        const KeyringResult result = keyring.load(items);
        EXPECT_EQ(result.status, expected) << result.reason.toStdString();
        std::ranges::sort(items, {}, &KeyringItem::session);
        return items;
    }
    static QByteArray lookup(const QStringList& attributes)
    {
        return s_keyring->secretTool(QStringList{"lookup"} + attributes);
    }

    static inline std::unique_ptr<PrivateKeyring> s_keyring;
    static inline bool s_started = false;
    SecretServiceKeyring keyring;
};

// An item carries application, session, share and user, so a script finds
// it by any of them; a store replaces the session's item, whatever it was
// stored under; a remove takes every item of the session and no other.
TEST_F(SecretServiceKeyringTest, ItemsAreStoredReplacedAndRemovedBySession)
{
    const KeyringItem office{"Office", "\\\\fileserver\\docs", "anna", "s3cret,ä€"};
    ASSERT_TRUE(keyring.store(office).done());
    EXPECT_EQ(load(), QList<KeyringItem>{office});
    EXPECT_EQ(lookup({"application", "tarvo", "session", "Office", "share", "\\\\fileserver\\docs",
                      "user", "anna"}),
              office.password.toUtf8());

    // An administrator's item, with only the attributes that find it.
    ASSERT_FALSE(
        s_keyring
            ->secretTool({"store", "--label=Scanner", "application", "tarvo", "session", "Scanner"},
                         "typed by an admin")
            .isNull());
    EXPECT_EQ(load(), QList<KeyringItem>({office, {"Scanner", "", "", "typed by an admin"}}));

    const KeyringItem moved{"Scanner", "\\\\newserver\\scans", "scan", "new"};
    ASSERT_TRUE(keyring.store(moved).done());
    const KeyringItem changed{"Office", "\\\\fileserver\\docs", "anna", "changed"};
    ASSERT_TRUE(keyring.store(changed).done());
    EXPECT_EQ(load(), QList<KeyringItem>({changed, moved}));

    ASSERT_TRUE(keyring.remove("Office").done());
    ASSERT_TRUE(keyring.remove("Home").done()) << "nothing to remove is no failure";
    EXPECT_EQ(load(), QList<KeyringItem>{moved});
    EXPECT_TRUE(lookup({"application", "tarvo", "session", "Office"}).isNull());
}

// A locked keyring is opened only by its own prompt, which this desktop
// cannot show: the program says it stays locked, learns no password and
// changes nothing; once the login unlocks it, everything is there.
TEST_F(SecretServiceKeyringTest, ALockedKeyringGivesNothingAndLosesNothing)
{
    const KeyringItem office{"Office", "\\\\fileserver\\docs", "anna", "s3cret"};
    ASSERT_TRUE(keyring.store(office).done());
    ASSERT_TRUE(s_keyring->lock());

    EXPECT_EQ(load(KeyringResult::Status::Locked), QList<KeyringItem>());
    EXPECT_FALSE(keyring.store({"Office", "\\\\fileserver\\docs", "anna", "other"}).done());
    EXPECT_FALSE(keyring.remove("Office").done());

    ASSERT_TRUE(s_keyring->unlock());
    EXPECT_EQ(load(), QList<KeyringItem>{office});
}

} // namespace
} // namespace tarvo::test
