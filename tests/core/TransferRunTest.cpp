#include "platform/ErrorCodes.h"
#include "tests/support/MemoryRunFixture.h"

#include <algorithm>

namespace tarvo::test {
namespace {

using TransferRunTest = MemoryRunFixture;

// Sessions run in DefaultSession's order, each once, with the entries of
// exactly their name. A share that refuses the logon skips its session, and
// an entry of no default session counts in the total only.
TEST_F(TransferRunTest, SessionsRunInListOrderEachOnceWithTheirOwnEntries)
{
    files.refuseConnection("\\\\files\\locked", PlatformError::LogonFailure);
    addSession("Locked", NetSessionLine("Put", "\\\\files\\locked", "", "\\A", "", "", "", "", ""));
    addSession("Beta", line("Put", "\\B", "b"));
    addSession("Alpha", line("Put", "\\A", "a"));
    addSession("Alpha", line("Put", "\\A", "a"));
    params.settings.Sessions.insert("Other", line("Put", "\\A", "b"));
    files.addFile("\\A\\1.txt", "a1");
    files.addFile("\\A\\2.txt", "a2");
    files.addFile("\\B\\3.txt", "b3");
    files.addFolder(onShare("a"));
    files.addFolder(onShare("b"));
    choose("Locked", {"\\A\\1.txt"});
    choose("alpha", {"\\A\\1.txt"});
    choose("Beta", {"\\B\\3.txt"});
    choose("Other", {"\\A\\2.txt"});
    choose("Alpha", {"\\A\\2.txt"});

    const RunSummary summary = run();

    EXPECT_EQ(summary.text(), "2 of 5 files are transferred successfully");
    EXPECT_EQ(summary.unreachableSessions, 1);
    EXPECT_EQ(messages.texts(), QStringList("Failed to map to network share \\\\files\\locked\r\n"
                                            "Wrong user name or password."));
    EXPECT_EQ(messages.messages().first().icon, MessageIcon::Error);
    EXPECT_EQ(record.lines(), QStringList({"Transferring file 1 of 5 ... 3.txt",
                                           "Transferring file 2 of 5 ... 2.txt"}));
    EXPECT_EQ(files.names(onShare("a")), QStringList("2.txt"));
    EXPECT_EQ(files.names(onShare("b")), QStringList("3.txt"));
}

TEST_F(TransferRunTest, ShowsEachFileAndReplacesTargetsWithoutAsking)
{
    addSession("Office", line("Put", "\\Docs", "out"));
    // Ten minutes apart at noon UTC: on one day in every time zone.
    files.addFile("\\Docs\\big.bin", QByteArray(1234567, 'x'), 133000272000000000);
    files.addFile("\\Docs\\small.txt", "0123456789", 133000272000000000 + 6000000000);
    files.addFile(onShare("out\\small.txt"), "old and longer");
    choose("Office", {"\\Docs\\big.bin", "\\Docs\\small.txt"});

    EXPECT_TRUE(run().complete());
    ASSERT_EQ(record.shown.size(), 2);
    EXPECT_EQ(record.shown[0].sizeText, "1,234,567 bytes");
    EXPECT_EQ(record.shown[0].sourceFolder, "\\Docs\\");
    EXPECT_EQ(record.shown[0].targetFolder, onShare("out\\"));
    EXPECT_NE(record.shown[0].modifiedText, record.shown[1].modifiedText);
    EXPECT_TRUE(std::is_sorted(record.positions.cbegin(), record.positions.cend()));
    EXPECT_EQ(record.positions.last(), 100);
    EXPECT_EQ(files.data(onShare("out\\small.txt")), "0123456789");
    EXPECT_TRUE(messages.texts().isEmpty());
}

// A copy that fails says why and leaves both sides as they were: the old
// target whole, and the source, which Del does not act on as it was not sent.
struct FailedCopy
{
    const char* name;
    int writeError; // 0: someone saves the source during its copy
    const char* reason;
};

class FailedCopyTest : public MemoryRunFixture, public ::testing::WithParamInterface<FailedCopy>
{};

TEST_P(FailedCopyTest, KeepsBothSidesAndSaysWhy)
{
    addSession("Office", line("Put", "\\Docs", "out", "Del"));
    files.addFile("\\Docs\\a.txt", QByteArray(200000, 'n'));
    files.addFile(onShare("out\\a.txt"), "old");
    if (GetParam().writeError)
        files.failWrite(1, GetParam().writeError);
    else
        files.changeDuringCopy("\\Docs\\a.txt", "saved meanwhile", 1);
    choose("Office", {"\\Docs\\a.txt"});

    EXPECT_EQ(run().text(), "0 of 1 files are transferred successfully");
    EXPECT_EQ(messages.texts(), QStringList("Failed to copy file \\Docs\\a.txt to " +
                                            onShare("out\\a.txt") + "\r\n" + GetParam().reason));
    EXPECT_EQ(files.data(onShare("out\\a.txt")), "old");
    EXPECT_TRUE(files.exists("\\Docs\\a.txt"));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailedCopyTest,
    ::testing::Values(FailedCopy{"DiskFull", PlatformError::DiskFull,
                                 "There is not enough space left on the disk."},
                      FailedCopy{"SourceChanged", 0,
                                 "The file changed while it was being copied."}),
    [](const auto& info) { return std::string(info.param.name); });

// Each Net session's share is connected before its files and released after
// them: a Get session still reads the share that a Put session released.
TEST_F(TransferRunTest, PutAndGetSessionsOnOneShareBothTransfer)
{
    addSession("Send", line("Put", "\\Outbox", "out"));
    addSession("Fetch", line("Get", "\\Inbox", "in"));
    files.addFile("\\Outbox\\o.txt", "out");
    files.addFile(onShare("in\\i.txt"), "in");
    files.addFolder(onShare("out"));
    files.addFolder("\\Inbox");
    choose("Send", {"\\Outbox\\o.txt"});
    choose("Fetch", {onShare("in\\i.txt")});

    EXPECT_TRUE(run().complete());
    EXPECT_EQ(files.journal().filter("connect"),
              QStringList({"connect Send \\\\files\\share", "disconnect Send",
                           "connect Fetch \\\\files\\share", "disconnect Fetch"}));
    EXPECT_EQ(files.data("\\Inbox\\i.txt"), "in");
}

// A default session without a line copies into \My Documents; an Ftp
// session is never connected and transfers nothing.
TEST_F(TransferRunTest, SessionsWithoutAShare)
{
    params.settings.DefaultSession = {"Nowhere", "Old"};
    params.settings.Sessions.insert("Old", "Ftp,Put,ftp.example.com,\\Docs");
    files.addFile("\\Elsewhere\\n.txt", "n");
    files.addFile("\\Docs\\f.txt", "f");
    files.addFolder("\\My Documents");
    choose("Nowhere", {"\\Elsewhere\\n.txt"});
    choose("Old", {"\\Docs\\f.txt"});

    EXPECT_EQ(run().text(), "1 of 2 files are transferred successfully");
    EXPECT_EQ(files.data("\\My Documents\\n.txt"), "n");
    EXPECT_TRUE(messages.texts().isEmpty());
}

// Cancel in the middle of a big file: its copy is abandoned, the old target
// stays whole, its post-operation does not act, and nothing starts after it.
// A small file's copy ran ahead and ended first: it counts and is filed.
TEST_F(TransferRunTest, CancelStopsInTheMiddleOfAFileAndLosesNothing)
{
    addSession("Office", line("Put", "\\Docs", "out", "Move", "\\Sent"));
    addSession("Later", line("Put", "\\Later", "later"));
    files.addFile("\\Docs\\big.bin", QByteArray(1 << 20, 'n'));
    files.addFile("\\Docs\\small.txt", "s");
    files.addFile(onShare("out\\big.bin"), "old");
    files.addFile("\\Later\\a.txt", "a");
    files.addFolder(onShare("later"));
    files.addFolder("\\Sent");
    choose("Office", {"\\Docs\\big.bin", "\\Docs\\small.txt"});
    choose("Later", {"\\Later\\a.txt"});
    files.setBlockHook([this](const QString& source) {
        if (source.endsWith("big.bin") &&
            Await([&] { return files.exists(onShare("out\\small.txt")); }))
            cancel.cancel();
    });

    const RunSummary summary = run();

    EXPECT_EQ(summary.succeeded, 1);
    EXPECT_TRUE(summary.cancelled);
    EXPECT_EQ(files.data(onShare("out\\big.bin")), "old");
    EXPECT_TRUE(files.exists("\\Docs\\big.bin"));
    EXPECT_EQ(files.names("\\Sent"), QStringList("small.txt"));
    EXPECT_FALSE(files.journal().contains("connect Later \\\\files\\share"));
    EXPECT_TRUE(messages.texts().isEmpty());
}

} // namespace
} // namespace tarvo::test
