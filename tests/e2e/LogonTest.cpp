// Shares that cannot be reached: each session says why in words a user can
// act on, gives up, and the sessions after it still run. No message carries
// a password.
#include "tests/e2e/Scenario.h"

#include <gtest/gtest.h>

namespace tarvo::test {
namespace {

class LogonTest : public Scenario
{
protected:
    // A Put session line for another server or share than the test share's.
    QString lineFor(const QString& server, const QString& share, const QString& localFolder) const
    {
        NetSession session;
        ParseNetSession(line("Put", localFolder, "\\out"), session);
        session.Server = server;
        session.Share = share;
        return FormatNetSession(session);
    }
    static QString mapFailed(const QString& server, const QString& share, const QString& reason)
    {
        return QStringLiteral("Failed to map to network share \\\\%1\\%2\r\n").arg(server, share) +
               reason;
    }
};

TEST_F(LogonTest, EachUnreachableShareSaysWhyAndSkipsOnlyItsSession)
{
    const SilentServer silentServer;
    const QString silent = silentServer.server();
    const QString closed = QStringLiteral("127.0.0.1:%1").arg(FreeLoopbackPort());
    const QString oldPassword = samba().password();
    ASSERT_TRUE(samba().addShare("gone"));
    for (const char* folder : {"\\Fetch", "\\Gone", "\\Closed", "\\Silent", "\\Good"})
        writeDevice(QLatin1String(folder) + QStringLiteral("\\a.txt"), folder);
    writeShare("in/a.txt", "in");
    makeShareFolder("out");
    // The window listed the Get session's share; then the password changed
    // on the server and a share went away.
    ASSERT_EQ(platform->connections().addConnection("Fetch", samba().shareText(), "tester",
                                                    oldPassword, true),
              0);
    ASSERT_TRUE(samba().changePassword("Changed-1"));
    ASSERT_TRUE(samba().removeShare("gone"));
    addSession("Fetch", line("Get", "\\Fetch", "\\in", "None", {}, oldPassword));
    addSession("Gone", lineFor(samba().server(), "gone", "\\Gone"));
    addSession("Closed", lineFor(closed, "share", "\\Closed"));
    addSession("Silent", lineFor(silent, "share", "\\Silent"));
    addSession("Good", line("Put", "\\Good", "\\out"));
    params.entries = {entry("Fetch", sharePath("in/a.txt")), entry("Gone", "\\Gone\\a.txt"),
                      entry("Closed", "\\Closed\\a.txt"), entry("Silent", "\\Silent\\a.txt"),
                      entry("Good", "\\Good\\a.txt")};

    EXPECT_EQ(run(), 1);

    EXPECT_EQ(
        messages.texts(),
        QStringList({mapFailed(samba().server(), "share", "Wrong user name or password."),
                     mapFailed(samba().server(), "gone", "The server has no share named \"gone\"."),
                     mapFailed(closed, "share",
                               QStringLiteral("No server answers at 127.0.0.1, port ") +
                                   closed.mid(10) + u'.'),
                     mapFailed(silent, "share",
                               QStringLiteral("The server at 127.0.0.1, port %1, did not "
                                              "answer within 5 seconds.")
                                   .arg(silent.mid(10)))}));
    EXPECT_EQ(observer.events().last(), "1 of 5 files are transferred successfully");
    EXPECT_EQ(shareNames("out"), QStringList({"a.txt"}));
    EXPECT_EQ(readShare("out/a.txt"), "\\Good");
    EXPECT_EQ(readDevice("\\Fetch\\a.txt"), "\\Fetch");
    const QString shown = messages.texts().join(u'\n') + observer.events().join(u'\n');
    EXPECT_FALSE(shown.contains(oldPassword) || shown.contains("Changed-1"));
}

} // namespace
} // namespace tarvo::test
