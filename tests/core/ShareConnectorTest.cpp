#include "core/shares/ShareConnector.h"

#include "platform/ErrorCodes.h"
#include "tests/support/MemoryFileSystem.h"
#include "tests/support/ScriptedMessageService.h"

#include <gtest/gtest.h>

namespace tarvo::test {
namespace {

class ShareConnectorTest : public ::testing::Test
{
protected:
    int connect(const QString& share)
    {
        const QString line = NetSessionLine("Put", share, "", "\\Docs", "\\", "", "", "u", "p");
        return ConnectSessionShare("Office", line, files, messages);
    }
    QString remote()
    {
        QString remote;
        files.getConnection("Office", remote);
        return remote;
    }

    MemoryFileSystem files;
    ScriptedMessageService messages;
};

struct RefusalCase
{
    const char* name;
    const char* share;
    int error;
    const char* reason;
};

class RefusedShareTest : public ShareConnectorTest,
                         public ::testing::WithParamInterface<RefusalCase>
{};

TEST_P(RefusedShareTest, ShowsOneErrorThatSaysWhy)
{
    files.refuseConnection(GetParam().share, GetParam().error);

    EXPECT_EQ(connect(GetParam().share), -1);
    EXPECT_EQ(messages.texts(),
              QStringList("Failed to map to network share " + QString(GetParam().share) + "\r\n" +
                          GetParam().reason));
    EXPECT_EQ(messages.messages().first().icon, MessageIcon::Error);
    EXPECT_EQ(messages.waitCursorDepth(), 0);
    EXPECT_EQ(remote(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Reasons, RefusedShareTest,
    ::testing::Values(RefusalCase{"WrongPassword", "\\\\pc\\docs", PlatformError::LogonFailure,
                                  "Wrong user name or password."},
                      RefusalCase{"NoSuchShare", "\\\\pc\\nosuch", PlatformError::BadNetName,
                                  "The server has no share named \"nosuch\"."},
                      RefusalCase{"NoServerAtThePort", "\\\\pc:4450\\docs",
                                  PlatformError::BadNetPath, "No server answers at pc, port 4450."},
                      RefusalCase{"NoAnswer", "\\\\pc\\docs", PlatformError::SemTimeout,
                                  "The server at pc, port 445, did not answer within 5 seconds."},
                      RefusalCase{"NoMoreConnections", "\\\\pc\\docs", PlatformError::NetworkBusy,
                                  "The server at pc takes no more connections."}),
    [](const auto& info) { return std::string(info.param.name); });

// A connection in use (an open file, a listing) is kept if it is to the
// session's share, and refused if to another; an idle one is made anew, so
// that a changed password shows.
TEST_F(ShareConnectorTest, ABusyConnectionIsKeptAnIdleOneLogsOnAgain)
{
    EXPECT_EQ(connect("\\\\pc\\docs"), 0);
    EXPECT_EQ(messages.waitCursorCount(), 1);
    files.refuseConnection("\\\\pc\\docs", PlatformError::LogonFailure);
    files.failNext(MemoryFileSystem::Op::Disconnect, "Office", PlatformError::DeviceInUse);
    EXPECT_EQ(connect("\\\\pc\\docs"), 0);
    files.failNext(MemoryFileSystem::Op::Disconnect, "Office", PlatformError::OpenFiles);
    EXPECT_EQ(connect("\\\\pc\\other"), -1);
    EXPECT_EQ(remote(), "\\\\pc\\docs");
    EXPECT_EQ(connect("\\\\pc\\docs"), -1);
    EXPECT_EQ(messages.texts(),
              QStringList({"Failed to map to network share \\\\pc\\other\r\n"
                           "The connection of this name is in use for another share.",
                           "Failed to map to network share \\\\pc\\docs\r\n"
                           "Wrong user name or password."}));
}

} // namespace
} // namespace tarvo::test
