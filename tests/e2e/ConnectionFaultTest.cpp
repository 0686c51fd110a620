#include "tests/e2e/FaultRunFixture.h"

#include <gtest/gtest.h>
#include <QProcess>

namespace tarvo::test {
namespace {

// Shares that cannot be reached in four ways: the password changed on the
// server while the program ran, the share was removed, nothing listens on the
// port, or something listens and never answers. Each session gets one
// message, gives up within seconds, and the sessions after it still run.
class ConnectionFaultTest : public FaultRunFixture
{
protected:
    // A Put session line for another server or share than the test share's.
    QString lineFor(const QString& server, const QString& share, const QString& localFolder) const
    {
        NetSession session;
        ParseNetSession(line(QStringLiteral("Put"), localFolder, QStringLiteral("\\out")), session);
        session.Server = server;
        session.Share = share;
        return FormatNetSession(session);
    }
    static QString mapFailed(const QString& server, const QString& share, const QString& reason)
    {
        return QStringLiteral("Failed to map to network share \\\\%1\\%2\r\n").arg(server, share) +
               reason;
    }
    // "127.0.0.1" and "port N" of a server written host:port.
    static QString at(const QString& server)
    {
        return server.left(server.indexOf(u':')) + QStringLiteral(", port ") +
               server.mid(server.indexOf(u':') + 1);
    }
};

TEST_F(ConnectionFaultTest, EachUnreachableShareSkipsOnlyItsSession)
{
    SilentServer silent;
    ASSERT_NE(silent.port(), 0);
    const QString closed = QStringLiteral("127.0.0.1:%1").arg(FreeLoopbackPort());
    ASSERT_TRUE(samba().addShare(QStringLiteral("gone")));
    for (const char* folder : {"\\Fetch", "\\Gone", "\\Closed", "\\Silent", "\\Good"})
        writeDevice(QLatin1String(folder) + QStringLiteral("\\a.txt"), folder);
    writeShare(QStringLiteral("in/a.txt"), "in");
    makeShareFolder(QStringLiteral("out"));
    addSession(QStringLiteral("Fetch"),
               line(QStringLiteral("Get"), QStringLiteral("\\Fetch"), QStringLiteral("\\in")));
    addSession(QStringLiteral("Gone"), QString()); // its line comes with the new password
    addSession(QStringLiteral("Closed"),
               lineFor(closed, QStringLiteral("share"), QStringLiteral("\\Closed")));
    addSession(QStringLiteral("Silent"),
               lineFor(silent.server(), QStringLiteral("share"), QStringLiteral("\\Silent")));
    addSession(QStringLiteral("Good"), QString()); // its line comes with the new password
    params.entries = {entry(QStringLiteral("Fetch"), sharePath(QStringLiteral("in/a.txt"))),
                      entry(QStringLiteral("Gone"), QStringLiteral("\\Gone\\a.txt")),
                      entry(QStringLiteral("Closed"), QStringLiteral("\\Closed\\a.txt")),
                      entry(QStringLiteral("Silent"), QStringLiteral("\\Silent\\a.txt")),
                      entry(QStringLiteral("Good"), QStringLiteral("\\Good\\a.txt"))};
    // The window listed the Get session's share with the old password.
    ASSERT_EQ(platform->connections().addConnection(QStringLiteral("Fetch"), samba().shareText(),
                                                    QString::fromLatin1(SambaServer::UserName),
                                                    samba().password(), true),
              0);
    // Then the password changed on the server and the share went away.
    ASSERT_TRUE(samba().changePassword(QStringLiteral("Changed-1")));
    ASSERT_TRUE(samba().removeShare(QStringLiteral("gone")));
    params.settings.Sessions[QStringLiteral("Good")] =
        line(QStringLiteral("Put"), QStringLiteral("\\Good"), QStringLiteral("\\out"));
    params.settings.Sessions[QStringLiteral("Gone")] =
        lineFor(samba().server(), QStringLiteral("gone"), QStringLiteral("\\Gone"));

    QList<qint64> sessionTimes;
    QElapsedTimer clock;
    clock.start();
    watcher.onSession = [&](const QString&) { sessionTimes.append(clock.elapsed()); };
    EXPECT_EQ(runWhile([](QThread&) {}), 1);

    // Each says why, in words the user can act on.
    EXPECT_EQ(messages.texts(),
              QStringList({mapFailed(samba().server(), QStringLiteral("share"),
                                     QStringLiteral("Wrong user name or password.")),
                           mapFailed(samba().server(), QStringLiteral("gone"),
                                     QStringLiteral("The server has no share named \"gone\".")),
                           mapFailed(closed, QStringLiteral("share"),
                                     QStringLiteral("No server answers at %1.").arg(at(closed))),
                           mapFailed(silent.server(), QStringLiteral("share"),
                                     QStringLiteral("The server at %1, did not answer within 5 "
                                                    "seconds.")
                                         .arg(at(silent.server())))}));
    EXPECT_EQ(watcher.events().last(), QStringLiteral("1 of 5 files are transferred successfully"));
    EXPECT_EQ(readShare(QStringLiteral("out/a.txt")), "\\Good");
    EXPECT_EQ(shareNames(QStringLiteral("out")), QStringList({"a.txt"}));
    EXPECT_EQ(readShare(QStringLiteral("in/a.txt")), "in");
    EXPECT_EQ(readDevice(QStringLiteral("\\Fetch\\a.txt")), "\\Fetch");
    // Every attempt gave up within seconds, also the one nobody answered.
    ASSERT_EQ(sessionTimes.size(), 5);
    sessionTimes.append(runMilliseconds);
    for (qsizetype i = 1; i < sessionTimes.size(); ++i)
        EXPECT_LT(sessionTimes[i] - sessionTimes[i - 1], 20000) << "session " << i;
}

// `tarvo send` from a script: a share that never answers costs its session
// one message on standard error and the exit status 1, not a hang.
TEST_F(ConnectionFaultTest, SendFromTheCommandLineGivesUpOnASilentServer)
{
    SilentServer silent;
    ASSERT_NE(silent.port(), 0);
    writeDevice(QStringLiteral("\\Silent\\s.txt"), "s");
    writeDevice(QStringLiteral("\\Good\\g.txt"), "g");
    makeShareFolder(QStringLiteral("out"));
    TempFolder folder;
    const QString config = folder.write(
        QStringLiteral("tarvo.txt"),
        QStringLiteral("[Setting]\r\nDefaultSession=Silent,Good\r\n[Session]\r\nSilent=%1\r\n"
                       "Good=%2\r\n")
            .arg(lineFor(silent.server(), QStringLiteral("share"), QStringLiteral("\\Silent")),
                 line(QStringLiteral("Put"), QStringLiteral("\\Good"), QStringLiteral("\\out")))
            .toUtf8());

    QProcess send;
    send.setStandardInputFile(QProcess::nullDevice());
    QElapsedTimer timer;
    timer.start();
    send.start(QStringLiteral(TARVO_EXECUTABLE),
               {QStringLiteral("--config"), config, QStringLiteral("--root"),
                platform->devicePaths().root(), QStringLiteral("send"), QStringLiteral("--yes")});
    ASSERT_TRUE(send.waitForFinished(30000));
    EXPECT_LT(timer.elapsed(), 20000);

    EXPECT_EQ(send.exitCode(), 1);
    const QString err = QString::fromLocal8Bit(send.readAllStandardError());
    EXPECT_EQ(err.count(QStringLiteral("Failed to map")), 1) << err.toStdString();
    // The terminal shows the message's lines one under the other.
    EXPECT_TRUE(err.contains(QStringLiteral("Failed to map to network share \\\\%1\\share\nThe "
                                            "server at %2, did not answer within 5 seconds.")
                                 .arg(silent.server(), at(silent.server()))))
        << err.toStdString();
    const QStringList out =
        QString::fromLocal8Bit(send.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    ASSERT_FALSE(out.isEmpty());
    EXPECT_EQ(out.last(), QStringLiteral("1 of 2 files are transferred successfully"));
    EXPECT_EQ(readShare(QStringLiteral("out/g.txt")), "g");
    EXPECT_EQ(readDevice(QStringLiteral("\\Silent\\s.txt")), "s");
}

} // namespace
} // namespace tarvo::test
