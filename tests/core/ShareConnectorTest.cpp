#include "core/shares/ShareConnector.h"

#include "platform/ErrorCodes.h"
#include "platform/ProcessServices.h"
#include "tests/support/SambaServer.h"
#include "tests/support/ScriptedMessageService.h"

#include <gtest/gtest.h>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

namespace tarvo {
namespace {

using test::ScriptedMessageService;

class ShareConnectorTest : public test::SambaTest
{
protected:
    // The line of a Put session for a share of the test server.
    QString line(const QString& server, const QString& share, const QString& password,
                 const QString& user = QStringLiteral("tester")) const
    {
        NetSession session;
        session.Server = server;
        session.Share = share;
        session.UserName = user;
        session.Password = password;
        session.Direction = DirectionPut;
        session.LocalFolder = QStringLiteral("\\My Documents");
        return FormatNetSession(session);
    }
    QString line(const QString& share = "share") const
    {
        return line(samba().server(), share, samba().password());
    }

    int connect(const QString& name, const QString& sessionLine)
    {
        return ConnectSessionShare(name, sessionLine, services.connections(), messages);
    }

    QString remoteOf(const QString& name)
    {
        QString remote;
        return services.connections().getConnection(name, remote) == 0 ? remote : QString();
    }

    QString failure(const QString& share, const QString& reason) const
    {
        return "Failed to map to network share \\\\" + samba().server() + "\\" + share + "\r\n" +
               reason;
    }
    static constexpr const char* WrongPassword = "Wrong user name or password.";

    QTemporaryDir m_device;
    ProcessServices services{m_device.path()};
    ScriptedMessageService messages;
};

TEST_F(ShareConnectorTest, ConnectsUnderTheWaitCursorAndTheShareIsUsable)
{
    EXPECT_EQ(0, connect("Office", line()));
    EXPECT_TRUE(messages.texts().isEmpty());
    EXPECT_EQ(1, messages.waitCursorCount());
    EXPECT_EQ(0, messages.waitCursorDepth());
    EXPECT_EQ(samba().shareText(), remoteOf("Office"));

    QFile file(samba().shareFolder() + "/a.txt");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("a");
    file.close();
    EXPECT_TRUE(services.files().canOpenForReading(samba().shareText() + "\\a.txt"));
}

TEST_F(ShareConnectorTest, AShareThatCannotBeConnectedShowsOneMessageNamingIt)
{
    const QString closedPort = QStringLiteral("127.0.0.1:1");
    const struct
    {
        const char* what;
        QString line;
        QString message;
    } cases[] = {
        {"wrong password", line(samba().server(), "share", "not-the-password"),
         failure("share", WrongPassword)},
        {"unknown user", line(samba().server(), "share", samba().password(), "nobody-here"),
         failure("share", WrongPassword)},
        {"unknown share", line(samba().server(), "nosuch", samba().password()),
         failure("nosuch", "The server has no share named \"nosuch\".")},
        {"closed port", line(closedPort, "share", samba().password()),
         "Failed to map to network share \\\\127.0.0.1:1\\share\r\nNo server answers at "
         "127.0.0.1, port 1."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        messages.clear();
        QElapsedTimer timer;
        timer.start();
        EXPECT_EQ(-1, connect("Office", c.line));
        EXPECT_LT(timer.elapsed(), 10000);
        ASSERT_EQ(1, messages.messages().size());
        EXPECT_EQ(c.message, messages.messages()[0].text);
        EXPECT_EQ(MessageIcon::Error, messages.messages()[0].icon);
        EXPECT_EQ(MessageButtons::Ok, messages.messages()[0].buttons);
        EXPECT_EQ(0, messages.waitCursorDepth());
        EXPECT_EQ(QString(), remoteOf("Office"));
    }
}

// An idle connection is cancelled and logged on anew: after the password
// changed on the server, the old one no longer connects and the new one does.
TEST_F(ShareConnectorTest, ReconnectingAnIdleConnectionLogsOnAgain)
{
    const QString oldLine = line();
    ASSERT_EQ(0, connect("Office", oldLine));
    ASSERT_TRUE(samba().changePassword("Changed-1"));

    EXPECT_EQ(-1, connect("Office", oldLine));
    EXPECT_EQ(QStringList({failure("share", WrongPassword)}), messages.texts());
    EXPECT_EQ(0, connect("Office", line()));
    EXPECT_EQ(samba().shareText(), remoteOf("Office"));
}

// What keeps a connection busy: an open file or a listing in progress.
class BusyConnection
{
public:
    virtual ~BusyConnection() = default;
    virtual void whileBusy(ProcessServices& services, const QString& share,
                           const std::function<void()>& action) = 0;
};

class OpenFile : public BusyConnection
{
public:
    void whileBusy(ProcessServices& services, const QString& share,
                   const std::function<void()>& action) override
    {
        std::unique_ptr<SourceFile> file;
        ASSERT_EQ(0, services.shareFiles().openSource(share + "\\busy.txt", file));
        action();
    }
};

class Listing : public BusyConnection
{
public:
    void whileBusy(ProcessServices& services, const QString& share,
                   const std::function<void()>& action) override
    {
        int visited = 0;
        ASSERT_EQ(0, services.files().listFolder(share, [&](const DirEntry&) {
            if (visited++ == 0)
                action();
            return true;
        }));
        ASSERT_GT(visited, 0);
    }
};

TEST_F(ShareConnectorTest, ABusyConnectionToTheSameShareIsKeptWithoutAMessage)
{
    QFile file(samba().shareFolder() + "/busy.txt");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    OpenFile openFile;
    Listing listing;
    for (BusyConnection* busy : std::initializer_list<BusyConnection*>{&openFile, &listing}) {
        ASSERT_EQ(0, connect("Office", line()));
        busy->whileBusy(services, samba().shareText(), [&] {
            NetSession session;
            ParseNetSession(line(), session);
            session.Name = "Office";
            EXPECT_EQ(PlatformError::DeviceInUse, DisconnectShare(session, services.connections()));
            // Even a wrong password connects: the busy connection is used as it is.
            EXPECT_EQ(0, connect("Office", line(samba().server(), "share", "wrong")));
        });
        EXPECT_TRUE(messages.texts().isEmpty());
        EXPECT_EQ(samba().shareText(), remoteOf("Office"));
    }
}

TEST_F(ShareConnectorTest, ABusyConnectionToAnotherShareFailsAndNamesTheNewShare)
{
    ASSERT_TRUE(samba().addShare("other"));
    QFile file(samba().shareFolder() + "/busy.txt");
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    OpenFile openFile;
    Listing listing;
    for (BusyConnection* busy : std::initializer_list<BusyConnection*>{&openFile, &listing}) {
        messages.clear();
        ASSERT_EQ(0, connect("Office", line()));
        busy->whileBusy(services, samba().shareText(), [&] {
            NetSession session;
            ParseNetSession(line("other"), session);
            session.Name = "Office";
            EXPECT_EQ(PlatformError::OpenFiles, DisconnectShare(session, services.connections()));
            EXPECT_EQ(-1, connect("Office", line("other")));
        });
        EXPECT_EQ(QStringList({failure("other", "The connection of this name is in use for "
                                                "another share.")}),
                  messages.texts());
        EXPECT_EQ(samba().shareText(), remoteOf("Office"));
    }
    // Once idle, the session moves to the other share.
    EXPECT_EQ(0, connect("Office", line("other")));
    EXPECT_EQ(samba().shareText("other"), remoteOf("Office"));
    samba().removeShare("other");
}

TEST_F(ShareConnectorTest, ReleasingASessionThatIsNotConnectedShowsNothing)
{
    NetSession session;
    ParseNetSession(line(), session);
    session.Name = "Never";
    EXPECT_EQ(PlatformError::NotConnected, DisconnectShare(session, services.connections()));
    EXPECT_TRUE(messages.texts().isEmpty());

    ASSERT_EQ(0, connect("Never", line()));
    EXPECT_EQ(0, DisconnectShare(session, services.connections()));
    EXPECT_EQ(QString(), remoteOf("Never"));
}

// A share that stopped answering leaves its connection unavailable (1201);
// once the server is back, connecting cancels it by name and logs on anew.
TEST_F(ShareConnectorTest, AnUnavailableConnectionIsReplaced)
{
    ASSERT_EQ(0, connect("Office", line()));
    samba().stop();
    EXPECT_NE(
        0, services.files().listFolder(samba().shareText(), [](const DirEntry&) { return true; }));
    QString remote;
    EXPECT_EQ(PlatformError::ConnectionUnavailable,
              services.connections().getConnection("Office", remote));
    EXPECT_EQ(samba().shareText(), remote);

    ASSERT_TRUE(samba().start());
    EXPECT_EQ(0, connect("Office", line()));
    EXPECT_EQ(samba().shareText(), remoteOf("Office"));
    EXPECT_TRUE(messages.texts().isEmpty());
}

} // namespace
} // namespace tarvo
