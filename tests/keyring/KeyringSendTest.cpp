// `tarvo send` with its passwords in the desktop keyring: the password a
// script stored logs on, shows up nowhere, and a keyring that is not there
// is said once while the send goes on.
#include "tests/support/PrivateKeyring.h"
#include "tests/support/RunFixture.h"

#include <gtest/gtest.h>

namespace tarvo::test {
namespace {

class KeyringSendTest : public RunFixture
{
protected:
    static void SetUpTestSuite()
    {
        RunFixture::SetUpTestSuite();
        s_keyring = std::make_unique<PrivateKeyring>();
        s_started = PrivateKeyring::isInstalled() && s_keyring->start();
    }
    static void TearDownTestSuite()
    {
        s_keyring.reset();
        RunFixture::TearDownTestSuite();
    }
    void SetUp() override
    {
        RunFixture::SetUp();
        if (IsSkipped() || HasFatalFailure())
            return;
        ASSERT_TRUE(s_started) << s_keyring->error().toStdString();
        params.settings.Keyring = true;
        makeShareFolder("out");
        writeDevice("\\Docs\\a.txt", "a");
        writeDevice("\\Scans\\s.txt", "s");
    }
    static inline std::unique_ptr<PrivateKeyring> s_keyring;
    static inline bool s_started = false;
};

TEST_F(KeyringSendTest, ASendLogsOnWithThePasswordThatAScriptStoredAndShowsItNowhere)
{
    // The file keeps an empty password field; the keyring has the password.
    addSession("Office", line("Put", "\\Docs", "\\out", "None", {}, ""));
    ASSERT_FALSE(s_keyring
                     ->secretTool({"store", "--label=Tarvo Office", "application", "tarvo",
                                   "session", "Office"},
                                  samba().password().toUtf8())
                     .isNull());

    const Outcome sent = tarvo({"send"}, s_keyring->environment());
    EXPECT_EQ(sent.exitCode, 0) << sent.err.toStdString();
    EXPECT_EQ(readShare("out/a.txt"), "a");
    EXPECT_FALSE(sent.err.contains("keyring")) << sent.err.toStdString();
    // Everything the program wrote: its output, its errors, its record, its file.
    const QByteArray written = sent.out + sent.err +
                               TempFolder::read(m_work.filePath("state/tarvo/runs.log")) +
                               tarvo({"config", "show"}, s_keyring->environment()).out +
                               TempFolder::read(m_work.filePath("tarvo.txt"));
    EXPECT_FALSE(written.contains(samba().password().toUtf8()));
}

TEST_F(KeyringSendTest, WithoutAKeyringOneNoteSaysSoAndTheSendGoesOn)
{
    // One session whose password the file still holds, one that needs the keyring.
    addSession("Office", line("Put", "\\Docs", "\\out"));
    addSession("Scanner", line("Put", "\\Scans", "\\out", "None", {}, ""));
    // A file edited by hand: the keyring is on, and Office's password is still in it.
    params.settings.Keyring = false;
    configFile = SettingsFileBytes(params.settings)
                     .replace("DefaultSession=Office,Scanner\r\n",
                              "DefaultSession=Office,Scanner\r\nKeyring=Yes\r\n");
    ASSERT_TRUE(configFile.contains("Keyring=Yes"));

    const qint64 pid =
        start({"send"}, {"DBUS_SESSION_BUS_ADDRESS=unix:path=" + m_work.filePath("no-bus")});
    const Outcome sent = FinishProgram(pid, m_work);
    EXPECT_EQ(readShare("out/a.txt"), "a");
    EXPECT_EQ(sent.err.count("Note: The desktop keyring cannot be reached"), 1)
        << sent.err.toStdString();
    EXPECT_EQ(sent.exitCode, 1) << "Scanner could not log on without its password";
}

} // namespace
} // namespace tarvo::test
