// Passwords kept in the desktop keyring: which items a save stores and
// removes, what the file holds in each mode, which item a session's password
// comes from, and a keyring that cannot be reached.
#include "config/KeyringPasswords.h"

#include "config/ConfigStore.h"
#include "config/NetSession.h"
#include "tests/support/MemoryKeyring.h"
#include "tests/support/ScriptedMessageService.h"
#include "tests/support/TempFiles.h"

#include <gtest/gtest.h>

namespace tarvo::test {
namespace {

const QString Share = "\\\\fileserver\\docs";

QString SessionLine(const QString& user, const QString& password, const QString& share = Share)
{
    return NetSessionLine("Put", share, "WG", "\\Out", "\\In", "None", "", user, password);
}

class KeyringPasswordsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        settings.Sessions.insert("Office", SessionLine("anna", "s3cret,with=comma"));
        settings.Sessions.insert("Scanner", SessionLine("scan", "scan-pw"));
        settings.Sessions.insert("Guest", SessionLine("guest", ""));
        settings.Sessions.insert("Old", "Ftp,Get,ftp.example.com");
        settings.DefaultSession = {"Office"};
    }
    bool save() { return SaveSettingsAndPasswords(settings, path, passwords, messages); }
    QByteArray file() const { return TempFolder::read(path); }
    // The settings as the next start reads them: the file, then the keyring.
    Settings reloaded(KeyringResult* result = nullptr)
    {
        Settings loaded;
        LoadSettingsFromFile(loaded, path);
        const KeyringResult filled = KeyringPasswords(&keyring).fill(loaded);
        if (result)
            *result = filled;
        return loaded;
    }

    TempFolder folder;
    QString path = folder.filePath("tarvo.txt");
    Settings settings;
    MemoryKeyring keyring;
    KeyringPasswords passwords{&keyring};
    ScriptedMessageService messages;
};

// Off, the keyring is never asked and the file is written as it always was;
// on, the keyring takes every password before the file drops them, and off
// again, the file takes them back before the keyring gives them up.
TEST_F(KeyringPasswordsTest, TurningTheKeyringOnAndOffMovesThePasswordsAndLosesNone)
{
    const Settings asTyped = settings;
    ASSERT_TRUE(save());
    const QByteArray plainFile = file();
    EXPECT_EQ(plainFile, SettingsFileBytes(settings)); // with every password
    EXPECT_EQ(passwords.fill(settings).status, KeyringResult::Status::Done);
    EXPECT_EQ(keyring.calls, QStringList());

    settings.Keyring = true;
    ASSERT_TRUE(save());
    EXPECT_EQ(keyring.calls, QStringList({"store Office", "store Scanner"}));
    EXPECT_EQ(keyring.items.value(0), (KeyringItem{"Office", Share, "anna", "s3cret,with=comma"}));
    // The file as before, with the key and without the passwords.
    EXPECT_EQ(file(), QByteArray(plainFile)
                          .replace("=Office\r\n", "=Office\r\nKeyring=Yes\r\n")
                          .replace(",s3cret,with=comma\r\n", ",\r\n")
                          .replace(",scan-pw\r\n", ",\r\n"));

    // The next start finds the passwords where the lines were.
    const Settings onAgain = reloaded();
    EXPECT_TRUE(onAgain.Sessions == asTyped.Sessions && onAgain.Keyring);

    // A save that changes nothing stores nothing again.
    keyring.calls.clear();
    ASSERT_TRUE(save());
    EXPECT_EQ(keyring.calls, QStringList());

    settings.Keyring = false;
    ASSERT_TRUE(save());
    EXPECT_EQ(file(), plainFile);
    EXPECT_EQ(keyring.calls, QStringList({"remove Office", "remove Scanner"}));
    EXPECT_TRUE(keyring.items.isEmpty());

    // On once more: only what changed is stored; a renamed, removed or
    // emptied session gives its item up after the file is written; another
    // file's sessions keep theirs.
    keyring.items.append({"Elsewhere", "\\\\other\\share", "bob", "not ours"});
    settings.Keyring = true;
    ASSERT_TRUE(save());
    keyring.calls.clear();

    settings.Sessions.remove("Office");
    settings.Sessions.insert("Head office", SessionLine("anna", "s3cret,with=comma"));
    settings.Sessions.insert("Scanner", SessionLine("scan", "new-pw"));
    ASSERT_TRUE(save());
    EXPECT_EQ(keyring.calls, QStringList({"store Scanner", "store Head office", "remove Office"}));
    EXPECT_EQ(keyring.password("Scanner") + '|' + keyring.password("Elsewhere"), "new-pw|not ours");

    keyring.calls.clear();
    settings.Sessions.remove("Head office");
    settings.Sessions.insert("Scanner", SessionLine("scan", ""));
    ASSERT_TRUE(save());
    EXPECT_EQ(keyring.calls, QStringList({"remove Head office", "remove Scanner"}));
    EXPECT_EQ(keyring.items.size(), 1);
    EXPECT_TRUE(messages.texts().isEmpty());
}

// The item of the session's own share and user wins; an item that names
// neither (one a script made) serves when there is none; an item of another
// share or user never does; a password in the file stays. A password goes
// into its line's own field.
TEST_F(KeyringPasswordsTest, ASessionTakesThePasswordOfItsOwnShareAndUser)
{
    Settings loaded;
    loaded.Keyring = true;
    loaded.Sessions.insert("Office", SessionLine("anna", ""));
    loaded.Sessions.insert("Scanner", SessionLine("scan", ""));
    loaded.Sessions.insert("Typed", SessionLine("anna", "in the file"));
    loaded.Sessions.insert("Moved", SessionLine("anna", "", "\\\\newserver\\docs"));
    keyring.items = {{"Office", "", "", "from a script"},
                     {"Office", "\\\\FILESERVER\\Docs", "ANNA", "exact"},
                     {"Office", "\\\\other\\docs", "anna", "other share"},
                     {"Scanner", "", "", "from a script"},
                     {"Scanner", Share, "somebody", "other user"},
                     {"Typed", Share, "anna", "from the keyring"},
                     {"Moved", Share, "anna", "old server"}};
    EXPECT_TRUE(passwords.fill(loaded).done());
    QStringList found;
    for (const QString name : {"Office", "Scanner", "Typed", "Moved"})
        found.append(loaded.Sessions.find(name)->net.Password);
    EXPECT_EQ(found, QStringList({"exact", "from a script", "in the file", ""}));

    // The password field is the line's tenth, commas and all; a short line
    // gains the fields up to it; other kinds of line stay as they are.
    const QString full = "Net,Put,\\\\s\\d,WG,\\Out,\\In,None,,anna,old,pw";
    EXPECT_EQ(WithPassword(full, ""), "Net,Put,\\\\s\\d,WG,\\Out,\\In,None,,anna,");
    EXPECT_EQ(WithPassword(full, "a,b"), "Net,Put,\\\\s\\d,WG,\\Out,\\In,None,,anna,a,b");
    EXPECT_EQ(WithPassword("Net,Put,\\\\s\\d,WG", "pw"), "Net,Put,\\\\s\\d,WG,,,,,,pw");
    EXPECT_EQ(WithPassword("Net,Put,\\\\s\\d,WG", ""), "Net,Put,\\\\s\\d,WG");
    EXPECT_EQ(WithPassword("Ftp,Get,host", "pw"), "Ftp,Get,host");
    EXPECT_EQ(WithPassword("", "pw"), "");
}

// Unreachable at start: one note, and the sessions keep what the file holds.
// Unreachable at a save: the user chooses between the file and nothing
// written; either way every password stays somewhere.
TEST_F(KeyringPasswordsTest, AKeyringThatCannotBeReachedLosesNothing)
{
    settings.Keyring = true;
    ASSERT_TRUE(save());
    keyring.status = KeyringResult::Status::Unavailable;
    KeyringResult result;
    const Settings withoutPasswords = reloaded(&result);
    EXPECT_EQ(KeyringFillNote(result),
              "The desktop keyring cannot be reached: the test's keyring is off.\r\nSessions "
              "without a password in the configuration file log on without one.");
    EXPECT_EQ(withoutPasswords.Sessions.find("Office")->net.Password, "");
    keyring.status = KeyringResult::Status::Locked;
    reloaded(&result);
    EXPECT_TRUE(KeyringFillNote(result).startsWith("The desktop keyring stays locked: "));
    EXPECT_EQ(KeyringFillNote(KeyringResult::ok()), "");

    // A new password that the keyring cannot take.
    const QByteArray before = file();
    settings.Sessions.insert("Scanner", SessionLine("scan", "changed"));
    messages.answerNext(MessageResult::Cancel);
    EXPECT_FALSE(save());
    EXPECT_EQ(file(), before);
    EXPECT_TRUE(messages.texts().value(0).startsWith(
        "The passwords cannot be kept in the desktop keyring: the test's keyring is off."));

    messages.answerNext(MessageResult::Ok);
    EXPECT_TRUE(save());
    EXPECT_FALSE(settings.Keyring);
    EXPECT_EQ(reloaded().Sessions, settings.Sessions); // every password in the file
    // The items it could not remove are named in a note, and stay.
    EXPECT_TRUE(messages.texts().value(2).startsWith(
        "The passwords of removed or renamed sessions could not be removed"));
    EXPECT_EQ(keyring.items.size(), 2);
}

} // namespace
} // namespace tarvo::test
