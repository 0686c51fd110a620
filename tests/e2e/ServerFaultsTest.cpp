// A server that goes away in the middle of a copy, disks that run full, and
// targets the share will not change: each file says why, loses nothing and
// leaves no part, and the run goes on.
#include "platform/ErrorCodes.h"
#include "platform/ProcessServices.h"
#include "tests/e2e/Scenario.h"

#include <gtest/gtest.h>
#include <sys/mount.h>

namespace tarvo::test {
namespace {

const QString Denied = "Access is denied.";
const QString Full = "There is not enough space left on the disk.";

// The server stops while a 16 MiB copy waits at 2 MiB, and starts again once
// the copy has failed: the session after it logs on anew, and so does the
// session itself on the next run.
class ServerLossTest : public Scenario, public ::testing::WithParamInterface<bool>
{};

TEST_P(ServerLossTest, TheCopyFailsAndNothingIsLost)
{
    const bool get = GetParam();
    const QString big = get ? sharePath("in/big.bin") : "\\Outbox\\big.bin";
    const QString target = get ? "\\Inbox\\big.bin" : sharePath("out/big.bin");
    const QString bigOnDisk = get ? onShare("in/big.bin") : native(big);
    const QString targetOnDisk = get ? native(target) : onShare("out/big.bin");
    writeLocal(bigOnDisk, QByteArray(16 * MiB, 'b'));
    writeLocal(targetOnDisk, "old target");
    writeDevice("\\Later\\later.txt", "later");
    makeShareFolder("later");
    addSession("Big", line(get ? "Get" : "Put", get ? "\\Inbox" : "\\Outbox",
                           get ? "\\in" : "\\out", "Del"));
    addSession("Later", line("Put", "\\Later", "\\later"));
    params.entries = {entry("Big", big), entry("Later", "\\Later\\later.txt")};
    // By the time the copy has failed, the dropped connection is known for
    // one, so the next use logs on anew.
    messages.onMessage = [this](const QString&) {
        QString remote;
        EXPECT_EQ(platform->connections().getConnection("Big", remote),
                  PlatformError::ConnectionUnavailable);
        ASSERT_TRUE(samba().start());
    };
    EXPECT_EQ(runPausedAt(2 * MiB, [] { samba().stop(); }), 1);

    EXPECT_EQ(messages.texts(),
              QStringList(copyFailed(big, target, "The server cannot be reached.")));
    EXPECT_EQ(QFileInfo(bigOnDisk).size(), 16 * MiB);
    EXPECT_EQ(TempFolder::read(targetOnDisk), "old target");
    EXPECT_EQ(QDir(QFileInfo(targetOnDisk).path()).entryList(QDir::Files | QDir::Hidden),
              QStringList{"big.bin"});
    EXPECT_EQ(readShare("later/later.txt"), "later");
    messages.onMessage = {};
    params.entries = {entry("Big", big)};
    EXPECT_EQ(run(), 1) << messages.texts().join(u'\n').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Directions, ServerLossTest, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "Get" : "Put"; });

using ServerFaultsTest = Scenario;

// A small tmpfs as the share's folder and as the device's: the file that
// does not fit leaves no part, so the file after it still fits.
TEST_F(ServerFaultsTest, FullDisksKeepTheOldTargetAndTheNextFilesFit)
{
    const auto unmount = qScopeGuard([this] {
        ::umount2(QFile::encodeName(onShare("out")), MNT_DETACH);
        ::umount2(QFile::encodeName(native("\\Inbox")), MNT_DETACH);
    });
    for (const QString& folder : {onShare("out"), native("\\Inbox")}) {
        QDir().mkpath(folder);
        ASSERT_EQ(::mount("tmpfs", QFile::encodeName(folder), "tmpfs", 0, "size=4m"), 0);
        writeLocal(folder + "/big.bin", "old target");
    }
    for (const QString& folder : {onShare("in"), native("\\Out")}) {
        writeLocal(folder + "/big.bin", QByteArray(6 * MiB, 'b'));
        writeLocal(folder + "/small.txt", "small");
    }
    addSession("Put", line("Put", "\\Out", "\\out"));
    addSession("Get", line("Get", "\\Inbox", "\\in"));
    params.entries = {entry("Put", "\\Out\\big.bin"), entry("Put", "\\Out\\small.txt"),
                      entry("Get", sharePath("in/big.bin")),
                      entry("Get", sharePath("in/small.txt"))};

    EXPECT_EQ(run(), 2);

    EXPECT_EQ(messages.texts(),
              QStringList({copyFailed("\\Out\\big.bin", sharePath("out/big.bin"), Full),
                           copyFailed(sharePath("in/big.bin"), "\\Inbox\\big.bin", Full)}));
    for (const QString& folder : {onShare("out"), native("\\Inbox")}) {
        EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden),
                  QStringList({"big.bin", "small.txt"}));
        EXPECT_EQ(TempFolder::read(folder + "/big.bin"), "old target");
    }
}

// Targets the share will not replace (read-only, a folder of that name, a
// folder that is not there) and a source that has gone fail one by one, also
// after a long run into the folder that made the copies trust its listing
// and put their parts in a part folder, gone with the run; a Sync target it
// will not delete (read-only, or open through another connection) stays
// silently.
TEST_F(ServerFaultsTest, TargetsTheShareKeepsAreNeverReplaced)
{
    addSession("Bulk", line("Put", "\\Bulk", "\\out"));
    for (int i = 0; i < 30; ++i) {
        writeDevice(QString("\\Bulk\\f%1.txt").arg(i), "bulk");
        params.entries.append(entry("Bulk", QString("\\Bulk\\f%1.txt").arg(i)));
    }
    for (const char* name : {"ro.txt", "dir.txt", "ok.txt"})
        writeDevice(QStringLiteral("\\Docs\\") + name, "new");
    writeDevice("\\Other\\a.txt", "a");
    writeDevice("\\Mirror\\a.txt", "a");
    writeShare("out/ro.txt", "old");
    ASSERT_TRUE(samba().setReadOnly("out/ro.txt"));
    makeShareFolder("out/dir.txt");
    writeShare("mirror/readonly.txt", "read-only");
    ASSERT_TRUE(samba().setReadOnly("mirror/readonly.txt"));
    writeShare("mirror/busy.txt", "busy");
    writeShare("mirror/extra.txt", "extra");
    addSession("Office", line("Put", "\\Docs", "\\out", "Del"));
    addSession("Missing", line("Put", "\\Other", "\\no such folder"));
    addSession("Mirror", line("Put", "\\Mirror", "\\mirror", "Sync"));
    for (const char* name : {"gone.txt", "ro.txt", "dir.txt", "ok.txt"})
        params.entries.append(entry("Office", QStringLiteral("\\Docs\\") + name));
    params.entries += {entry("Missing", "\\Other\\a.txt"), entry("Mirror", "\\Mirror\\a.txt")};
    // Another program holds busy.txt open on the share.
    TempFolder otherRoot;
    ProcessServices other(otherRoot.path());
    ASSERT_EQ(other.connections().addConnection("Other", samba().shareText(), SambaServer::UserName,
                                                samba().password(), true),
              0);
    std::unique_ptr<SourceFile> held;
    ASSERT_EQ(other.shareFiles().openSource(sharePath("mirror/busy.txt"), held), 0);

    EXPECT_EQ(run(), 32);

    EXPECT_EQ(messages.texts(),
              QStringList({copyFailed("\\Docs\\gone.txt", sharePath("out/gone.txt"),
                                      "The file does not exist (any more)."),
                           copyFailed("\\Docs\\ro.txt", sharePath("out/ro.txt"), Denied),
                           copyFailed("\\Docs\\dir.txt", sharePath("out/dir.txt"), Denied),
                           "Delete file \\Docs\\ok.txt ?",
                           copyFailed("\\Other\\a.txt", sharePath("no such folder/a.txt"),
                                      "The folder does not exist.")}));
    EXPECT_EQ(readShare("out/ro.txt"), "old");
    EXPECT_TRUE(QFileInfo(onShare("out/dir.txt")).isDir());
    EXPECT_EQ(shareNames("out").size(), 32);
    EXPECT_FALSE(QFileInfo::exists(onShare("out/.tarvo-parts")));
    EXPECT_EQ(shareNames("mirror"), QStringList({"a.txt", "busy.txt", "readonly.txt"}));
    EXPECT_TRUE(deviceHas("\\Docs\\ro.txt"));
}

// What the share refuses leaves it as it was: targets that exist, paths that
// would leave the share, and a move or delete of a file that changed since
// it was sent; what it allows moves on the share, across, and back.
TEST_F(ServerFaultsTest, RefusedOperationsLeaveTheShareAsItWas)
{
    ASSERT_TRUE(samba().addShare("other"));
    for (const QString& share : {"share", "other"}) {
        ASSERT_EQ(platform->connections().addConnection(share, samba().shareText(share),
                                                        SambaServer::UserName, samba().password(),
                                                        true),
                  0);
    }
    writeDevice("\\a.txt", "new");
    for (const char* name : {"a.txt", "b.txt", "Sent/keep.txt", "../other/secret.txt"})
        writeShare(name, "share");
    FileSystem& files = platform->files();
    const FileInfo sent = {}; // a version that no file has now

    EXPECT_EQ(files.moveFile("\\a.txt", sharePath("a.txt")), PlatformError::FileExists);
    EXPECT_EQ(files.moveFile(sharePath("b.txt"), sharePath("a.txt")), PlatformError::FileExists);
    EXPECT_EQ(files.moveFile(sharePath("b.txt"), sharePath("Sent/b.txt"), &sent),
              PlatformError::SourceChanged);
    EXPECT_EQ(files.moveFile(sharePath("b.txt"), "\\b.txt", &sent), PlatformError::SourceChanged);
    EXPECT_EQ(files.deleteFile(sharePath("b.txt"), &sent), PlatformError::SourceChanged);
    for (const QString& away : {sharePath("../other/secret.txt"), sharePath("Sent/../../other/x"),
                                samba().shareText() + "/../other/secret.txt"}) {
        EXPECT_EQ(files.copyFile(away, "\\b.txt", false), PlatformError::InvalidName);
        EXPECT_EQ(files.copyFile("\\a.txt", away, false), PlatformError::InvalidName);
        EXPECT_EQ(files.deleteFile(away), PlatformError::InvalidName);
    }
    EXPECT_EQ(shareNames(""), QStringList({"a.txt", "b.txt"}));
    EXPECT_EQ(readShare("a.txt"), "share");
    EXPECT_TRUE(QFile::exists(onShare("../other/secret.txt")));
    // A listing gives the names and the times that the files have.
    QMap<QString, FileTime> listed;
    EXPECT_EQ(files.listFolder(sharePath("Sent"),
                               [&](const DirEntry& entry) {
                                   listed.insert(entry.Name, entry.Info.LastWriteTime);
                                   return true;
                               }),
              0);
    FileInfo stamped; // written with the same time as the share's files
    EXPECT_EQ(files.readAttributes("\\a.txt", stamped), 0);
    EXPECT_EQ(listed, (QMap<QString, FileTime>{{"keep.txt", stamped.LastWriteTime}}));

    EXPECT_EQ(files.moveFile(sharePath("a.txt"), sharePath("Sent/a.txt")), 0);
    EXPECT_EQ(files.moveFile("\\a.txt", sharePath("a.txt")), 0);
    EXPECT_EQ(files.moveFile(sharePath("Sent/a.txt"), "\\a.txt"), 0);
    EXPECT_EQ(files.moveFile(sharePath("b.txt"), samba().shareText("other") + "\\b.txt"), 0);
    EXPECT_EQ(shareNames(""), QStringList{"a.txt"});
    EXPECT_EQ(TempFolder::read(native("\\a.txt")) + readShare("a.txt") +
                  readShare("../other/b.txt"),
              "sharenewshare");
}

} // namespace
} // namespace tarvo::test
