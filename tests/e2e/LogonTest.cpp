// Shares that cannot be reached: each session says why in words a user can
// act on, gives up, and the sessions after it still run. No message carries
// a password.
#include "tests/e2e/Scenario.h"

#include <gtest/gtest.h>

namespace tarvo::test {
namespace {

using LogonTest = Scenario;

TEST_F(LogonTest, EachUnreachableShareSaysWhyAndSkipsOnlyItsSession)
{
    const SilentServer silent;
    const QString closed = QStringLiteral("127.0.0.1:%1").arg(FreeLoopbackPort());
    SambaServer busy; // its own helper processes fill it
    ASSERT_TRUE(busy.configure({"max smbd processes = 2"}, {}) && busy.start());
    const QString oldPassword = samba().password();
    ASSERT_TRUE(samba().addShare("gone"));
    const QStringList names = {"Fetch", "Stranger", "Gone", "Closed", "Silent", "Busy", "Good"};
    for (const QString& name : names)
        writeDevice('\\' + name + "\\a.txt", name.toUtf8());
    writeShare("in/a.txt", "in");
    makeShareFolder("out");
    // The window listed the Get session's share; then the password changed
    // on the server and a share went away.
    ASSERT_EQ(platform->connections().addConnection("Fetch", samba().shareText(), "tester",
                                                    oldPassword, true),
              0);
    ASSERT_TRUE(samba().changePassword("Changed-1"));
    ASSERT_TRUE(samba().removeShare("gone"));
    const auto lineFor = [](const QString& share, const QString& user, const QString& folder) {
        return NetSessionLine("Put", share, "WG", folder, "\\out", "None", {}, user, "Changed-1");
    };
    addSession("Fetch", line("Get", "\\Fetch", "\\in", "None", {}, oldPassword));
    addSession("Stranger", lineFor(samba().shareText(), "nobody", "\\Stranger"));
    addSession("Gone", lineFor(samba().shareText("gone"), "tester", "\\Gone"));
    addSession("Closed", lineFor("\\\\" + closed + "\\share", "tester", "\\Closed"));
    addSession("Silent", lineFor("\\\\" + silent.server() + "\\share", "tester", "\\Silent"));
    addSession("Busy", lineFor(busy.shareText(), "tester", "\\Busy"));
    addSession("Good", line("Put", "\\Good", "\\out"));
    params.entries = {entry("Fetch", sharePath("in/a.txt"))};
    for (const QString& name : names.mid(1))
        params.entries.append(entry(name, '\\' + name + "\\a.txt"));

    EXPECT_EQ(run(), 1);

    const auto failed = [](const QString& share, const QString& reason) {
        return "Failed to map to network share " + share + "\r\n" + reason;
    };
    EXPECT_EQ(
        messages.texts(),
        QStringList(
            {failed(samba().shareText(), "Wrong user name or password."),
             failed(samba().shareText(), "Wrong user name or password."),
             failed(samba().shareText("gone"), "The server has no share named \"gone\"."),
             failed("\\\\" + closed + "\\share",
                    "No server answers at 127.0.0.1, port " + closed.mid(10) + '.'),
             failed("\\\\" + silent.server() + "\\share",
                    QStringLiteral("The server at 127.0.0.1, port %1, did not "
                                   "answer within 5 seconds.")
                        .arg(silent.port())),
             failed(busy.shareText(), "The server at 127.0.0.1 takes no more connections.")}));
    EXPECT_EQ(shareNames("out"), QStringList({"a.txt"}));
    EXPECT_EQ(readShare("out/a.txt"), "Good");
    EXPECT_EQ(TempFolder::read(native("\\Fetch\\a.txt")), "Fetch");
    const QString shown = messages.texts().join(u'\n');
    EXPECT_FALSE(shown.contains(oldPassword) || shown.contains("Changed-1"));
}

} // namespace
} // namespace tarvo::test
