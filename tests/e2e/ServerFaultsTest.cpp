// Shares that cannot be reached, a server that goes away in the middle of a
// copy, disks that run full, and targets the share will not change: each
// session or file says why in words a user can act on, loses nothing and
// leaves no part, and the run goes on. No message carries a password.
#include "platform/ErrorCodes.h"
#include "platform/Registry.h"
#include "tests/e2e/Scenario.h"
#include "tests/support/HeldShareFile.h"

#include <pwd.h>
#include <QDeadlineTimer>
#include <QRegularExpression>
#include <QThread>
#include <stdexcept>
#include <sys/mount.h>

namespace tarvo::test {
namespace {

const QString Denied = "Access is denied.";
const QString Full = "There is not enough space left on the disk.";

using ServerFaultsTest = Scenario;

// The server hangs (its processes stopped) while a 6 MiB copy waits at
// 2 MiB: the copy fails, and its part cannot go while nothing answers. Once
// the server goes on it may hold the part open a while longer (it works
// through what its stopped process had queued; here another program holds
// it until the next run's first copy is done): the next run of the same
// process (the next Send from the same window) removes it once it can, by
// the end of its session at the latest.
TEST_F(ServerFaultsTest, AStalledServerKeepsNoPartOfTheFailedCopy)
{
    writeDevice("\\Outbox\\big.bin", QByteArray(6 * MiB, 'b'));
    writeDevice("\\Outbox\\next.txt", "next");
    addSession("Big", line("Put", "\\Outbox", "\\out", "Del"));
    makeShareFolder("out");
    params.entries = {{"Big", "\\Outbox\\big.bin"}};
    EXPECT_EQ(runPausedAt(2 * MiB, [] { samba().pause(); }), 0);
    samba().resume();
    EXPECT_EQ(messages.texts(),
              QStringList(copyFailed("\\Outbox\\big.bin", sharePath("out/big.bin"),
                                     "The server did not answer in time.")));
    const QStringList parts = PartsIn(onShare("out"));
    ASSERT_EQ(parts.size(), 1);
    auto holder = std::make_unique<HeldShareFile>(samba(), "out/" + parts.first(),
                                                  HeldShareFile::Sharing::ReadAndWrite);
    ASSERT_TRUE(holder->isOpen());

    messages.clear();
    messages.onMessage = [&holder](const QString&) { holder.reset(); };
    messages.answerNext(MessageResult::Cancel); // keep the source
    params.entries = {{"Big", "\\Outbox\\next.txt"}};
    EXPECT_EQ(run(), 1) << messages.texts().join(u'\n').toStdString();
    EXPECT_EQ(messages.texts(), QStringList("Delete file \\Outbox\\next.txt ?"));
    EXPECT_EQ(shareNames("out"), QStringList{"next.txt"});
}

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
    params.entries = {{"Put", "\\Out\\big.bin"},
                      {"Put", "\\Out\\small.txt"},
                      {"Get", sharePath("in/big.bin")},
                      {"Get", sharePath("in/small.txt")}};

    EXPECT_EQ(run(), 2);

    EXPECT_EQ(messages.texts(),
              QStringList({copyFailed("\\Out\\big.bin", sharePath("out/big.bin"), Full),
                           copyFailed(sharePath("in/big.bin"), "\\Inbox\\big.bin", Full)}));
    for (const QString& folder : {onShare("out"), native("\\Inbox")})
        EXPECT_EQ(FilesIn(folder),
                  (QMap<QString, QByteArray>{{"big.bin", "old target"}, {"small.txt", "small"}}));
}

// The configuration and the registry file on a small tmpfs: saves of a real
// configuration (a few hundred bytes) and of the registry value into a disk
// full to its last block, and a save into a folder that cannot be written,
// keep the old files byte for byte, leave no temporary file, and say which
// file and why.
TEST_F(ServerFaultsTest, FullDisksKeepTheConfigurationAndTheRegistryFile)
{
    const QString disk = native("\\Settings");
    QDir().mkpath(disk);
    ASSERT_EQ(::mount("tmpfs", QFile::encodeName(disk), "tmpfs", 0, "size=64k"), 0);
    const auto unmount = qScopeGuard([&] { ::umount2(QFile::encodeName(disk), MNT_DETACH); });
    const QString config = disk + "/tarvo.txt";
    addSession("Office", line("Put", "\\Out", "\\in"));
    ASSERT_TRUE(SaveSettings(params.settings, config, messages));
    Registry registry(disk + "/registry.ini");
    const QString key = QString::fromUtf16(RegistryKey);
    ASSERT_TRUE(registry.writeString(key, "Setting", config));
    const QMap<QString, QByteArray> before = FilesIn(disk);

    writeLocal(disk + "/filler", QByteArray(64 * 1024, 'f')); // as much as fits
    EXPECT_FALSE(SaveSettings(params.settings, config, messages));
    int error = 0;
    EXPECT_FALSE(registry.writeString(key, "Setting", "/srv/tarvo.txt", &error));
    EXPECT_EQ(error, PlatformError::DiskFull);
    QFile::remove(disk + "/filler");
    ASSERT_EQ(::mount(nullptr, QFile::encodeName(disk), nullptr, MS_REMOUNT | MS_RDONLY, nullptr),
              0);
    EXPECT_FALSE(SaveSettings(params.settings, config, messages));

    const QString failed = "Failed to write the configuration file " + config + "\r\n";
    EXPECT_EQ(messages.texts(), QStringList({failed + Full, failed + Denied}));
    EXPECT_EQ(FilesIn(disk), before);
}

// Targets the share will not replace (read-only, a folder of that name, a
// folder that is not there, a file another program holds open and lets
// nobody write), names the server refuses and a source that has gone fail
// one by one, each saying why, also after a long run into the folder that
// put their parts in a part folder; a target held open by a program that
// lets others write it is replaced as a plain copy would replace it (written
// in place, once the part is whole). A Sync target it will not delete
// (read-only) stays silently. The part folder was made by another run of the
// program, which ended while this one still wrote parts there: this run
// removes it when it is done with it.
TEST_F(ServerFaultsTest, TargetsTheShareKeepsAreNeverReplaced)
{
    makeShareFolder("out/.tarvo-parts");
    addSession("Bulk", line("Put", "\\Bulk", "\\out"));
    for (int i = 0; i < 30; ++i) {
        writeDevice(QString("\\Bulk\\f%1.txt").arg(i), "bulk");
        params.entries.append({"Bulk", QString("\\Bulk\\f%1.txt").arg(i)});
    }
    const QStringList docs{"gone.txt",   "ro.txt",  "dir.txt",  "shared.txt",
                           "locked.txt", "a:b.txt", "why?.txt", "ok.txt"};
    for (const QString& name : docs.mid(1))
        writeDevice("\\Docs\\" + name, "new " + name.toUtf8());
    for (const char* name : {"ro.txt", "shared.txt", "locked.txt"})
        writeShare(QStringLiteral("out/") + name, "old");
    writeDevice("\\Mirror\\a.txt", "a");
    ASSERT_TRUE(samba().setReadOnly("out/ro.txt"));
    makeShareFolder("out/dir.txt");
    writeShare("mirror/readonly.txt", "read-only");
    ASSERT_TRUE(samba().setReadOnly("mirror/readonly.txt"));
    writeShare("mirror/extra.txt", "extra");
    addSession("Office", line("Put", "\\Docs", "\\out", "Del"));
    addSession("Missing", line("Put", "\\Mirror", "\\no such folder"));
    addSession("Mirror", line("Put", "\\Mirror", "\\mirror", "Sync"));
    for (const QString& name : docs)
        params.entries.append({"Office", "\\Docs\\" + name});
    params.entries += {{"Missing", "\\Mirror\\a.txt"}, {"Mirror", "\\Mirror\\a.txt"}};
    const HeldShareFile shared(samba(), "out/shared.txt", HeldShareFile::Sharing::ReadAndWrite);
    const HeldShareFile locked(samba(), "out/locked.txt", HeldShareFile::Sharing::ReadOnly);
    ASSERT_TRUE(shared.isOpen() && locked.isOpen());
    messages.answerNext(MessageResult::Cancel); // keep the sources
    messages.answerNext(MessageResult::Cancel);

    EXPECT_EQ(run(), 33);

    const QString refused = "The name is refused there: servers refuse names that hold any of "
                            "\\ / : * ? \" < > |, and every side refuses a name longer than 255 "
                            "characters or a step out of the folder (\"..\").";
    const auto failed = [](const QString& name, const QString& why) {
        return copyFailed("\\Docs\\" + name, sharePath("out/" + name), why);
    };
    EXPECT_EQ(messages.texts(),
              QStringList({failed("gone.txt", "The file does not exist (any more)."),
                           failed("ro.txt", Denied), failed("dir.txt", Denied),
                           "Delete file \\Docs\\shared.txt ?",
                           failed("locked.txt", "The file is in use by another program."),
                           failed("a:b.txt", refused), failed("why?.txt", refused),
                           "Delete file \\Docs\\ok.txt ?",
                           copyFailed("\\Mirror\\a.txt", sharePath("no such folder/a.txt"),
                                      "The folder does not exist.")}));
    EXPECT_EQ(readShare("out/ro.txt") + readShare("out/locked.txt") + readShare("out/shared.txt"),
              "oldoldnew shared.txt");
    EXPECT_TRUE(QFileInfo(onShare("out/dir.txt")).isDir());
    EXPECT_EQ(shareNames("out").size(), 34);
    EXPECT_FALSE(QFileInfo::exists(onShare("out/.tarvo-parts")));
    EXPECT_EQ(shareNames("mirror"), QStringList({"a.txt", "readonly.txt"}));
}

// A dry run fails the names the server refuses, as the send would and for
// the same reason, and plans the rest.
TEST_F(ServerFaultsTest, ADryRunFailsTheNamesTheServerRefuses)
{
    makeShareFolder("out");
    for (const char* name : {"a:b.txt", "why?.txt", "ok.txt"})
        writeDevice(QStringLiteral("\\Docs\\") + name, "new");
    addSession("Office", line("Put", "\\Docs", "\\out"));
    params.entries = {{"Office", "\\Docs\\a:b.txt"},
                      {"Office", "\\Docs\\why?.txt"},
                      {"Office", "\\Docs\\ok.txt"}};
    params.dryRun = true;

    run();

    QStringList plan;
    for (const RunAction& action : std::as_const(observer.actions))
        plan << RunAction::kindName(action.kind) + u' ' + action.target.section(u'\\', -1) +
                    u' ' +
                    (action.result == RunAction::Result::Planned ? "planned" : action.reason);
    const QString refused = "copy %1 The name is refused there: servers refuse names that hold "
                            "any of \\ / : * ? \" < > |, and every side refuses a name longer "
                            "than 255 characters or a step out of the folder (\"..\").";
    EXPECT_EQ(plan, QStringList(
                        {refused.arg("a:b.txt"), refused.arg("why?.txt"), "copy ok.txt planned"}));
    EXPECT_EQ(shareNames("out"), QStringList());
}

// Another account's private file (mode 600, hidden from listings by "hide
// unreadable") in a folder where this user may create and delete files: the
// server would let a rename replace it, but this user may not write it, so
// it stays, in a run long enough to put its parts in a part folder too. The
// dry run names it as a file the send would replace. The same on the device:
// a fetch into a folder of the user who runs the program (here daemon) never
// replaces a file there that this user may not write (root's, mode 644).
TEST_F(ServerFaultsTest, AFileThisUserMayNotWriteIsNeverReplaced)
{
    ASSERT_TRUE(samba().configure({}, {"force user = daemon", "hide unreadable = yes"}));
    makeShareFolder("out");
    ASSERT_TRUE(samba().giveShareTo("daemon"));
    writeShare("out/private.txt", "another account's");
    ASSERT_EQ(::chmod(QFile::encodeName(onShare("out/private.txt")).constData(), 0600), 0);
    for (int i = 0; i < 20; ++i)
        writeDevice(QString("\\Docs\\f%1.txt").arg(i), "bulk");
    writeDevice("\\Docs\\private.txt", "mine");
    writeShare("in/report.txt", "new");
    writeDevice("\\Inbox\\report.txt", "another user's");
    addSession("Docs", line("Put", "\\Docs", "\\out"));
    addSession("Fetch", line("Get", "\\Inbox", "\\in"));
    m_work.write("tarvo.txt", SettingsFileBytes(params.settings));
    const passwd* daemon = ::getpwnam("daemon");
    ASSERT_TRUE(daemon);
    for (const QString& path :
         {m_work.path(), m_work.filePath("tarvo.txt"), m_root.path(), native("\\Inbox")})
        ASSERT_EQ(::chown(QFile::encodeName(path).constData(), daemon->pw_uid, daemon->pw_gid), 0);
    const auto send = [this](const char* option) {
        return FinishProgram(
            StartProgram("setpriv",
                         {"--reuid=daemon", "--regid=daemon", "--clear-groups",
                          TARVO_BINARY_DIR "/app/tarvo", "--config", m_work.filePath("tarvo.txt"),
                          "--root", m_root.path(), "send", option},
                         {"TARVO_REGISTRY=" + m_work.filePath("registry.ini")}, m_work),
            m_work);
    };

    const Outcome dryRun = send("--dry-run");
    const Outcome sent = send("--yes");

    EXPECT_TRUE(dryRun.out.contains("replace\t\\Docs\\private.txt\t" +
                                    sharePath("out/private.txt").toUtf8() + '\t'))
        << dryRun.out.constData();
    EXPECT_EQ(sent.exitCode, 1) << sent.err.constData();
    EXPECT_TRUE(sent.err.contains("private.txt\n" + Denied.toUtf8()) &&
                sent.err.contains("report.txt\n" + Denied.toUtf8()))
        << sent.err.constData();
    EXPECT_EQ(readShare("out/private.txt"), "another account's");
    EXPECT_EQ(TempFolder::read(native("\\Inbox\\report.txt")), "another user's");
    EXPECT_EQ(shareNames("out").size(), 21);
    EXPECT_EQ(PartsIn(onShare("out")) + PartsIn(native("\\Inbox")), QStringList());
}

// A share that is read-only for everyone refuses every temporary name, and
// every other name too: the copy says that access is denied, for a new
// file and for one that exists, not that temporary files are refused.
TEST_F(ServerFaultsTest, AReadOnlyShareSaysAccessIsDenied)
{
    ASSERT_TRUE(samba().configure({}, {"read only = yes"}));
    writeShare("out/old.txt", "old");
    for (const char* name : {"old.txt", "new.txt"})
        writeDevice(QStringLiteral("\\Docs\\") + name, "new");
    addSession("Docs", line("Put", "\\Docs", "\\out"));
    params.entries = {{"Docs", "\\Docs\\old.txt"}, {"Docs", "\\Docs\\new.txt"}};

    EXPECT_EQ(run(), 0);

    EXPECT_EQ(messages.texts(),
              QStringList({copyFailed("\\Docs\\old.txt", sharePath("out/old.txt"), Denied),
                           copyFailed("\\Docs\\new.txt", sharePath("out/new.txt"), Denied)}));
    EXPECT_EQ(shareNames("out"), QStringList{"old.txt"});
}

// What the share refuses leaves it as it was: targets that exist, paths that
// would leave the share, and a move or delete of a file that changed since
// it was sent; what it allows moves on the share, across, and back.
TEST_F(ServerFaultsTest, RefusedOperationsLeaveTheShareAsItWas)
{
    for (const char* share : {"share", "other"})
        ASSERT_EQ(connect(share, share), 0);
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

using LogonTest = Scenario;

// Each share that cannot be mapped says why, once per server and cause,
// naming its sessions, and only its sessions give up: the sessions after them
// still run. A server that does not answer is waited for once, not once per
// session; a session none of whose files was chosen is not connected at all.
TEST_F(LogonTest, EachUnreachableShareSaysWhyAndSkipsOnlyItsSession)
{
    const SilentServer silent;
    const QString closed = QStringLiteral("127.0.0.1:%1").arg(FreeLoopbackPort());
    SambaServer busy; // its own helper processes fill it
    ASSERT_TRUE(busy.configure({"max smbd processes = 2"}, {}) && busy.start());
    SambaServer old; // speaks only SMB1
    ASSERT_TRUE(old.configure({"server min protocol = NT1", "server max protocol = NT1"}, {}) &&
                old.start());
    const QString oldPassword = samba().password();
    // The window listed the first session's share; then the password changed
    // on the server.
    ASSERT_EQ(connect("Stale"), 0);
    ASSERT_TRUE(samba().changePassword("Changed-1"));
    const QString quiet = "\\\\" + silent.server();
    // A session's name, share, user and password.
    const QList<QStringList> unreachable = {
        {"Stale", samba().shareText(), "tester", oldPassword},
        {"Stranger", samba().shareText(), "nobody", "Changed-1"},
        {"Gone", samba().shareText("gone"), "tester", "Changed-1"},
        {"Closed", "\\\\" + closed + "\\share", "tester", "Changed-1"},
        {"Silent", quiet + "\\share", "tester", "Changed-1"},
        {"Hushed", quiet + "\\other", "tester", "Changed-1"},
        {"Busy", busy.shareText(), "tester", "Changed-1"},
        {"Old", old.shareText(), "tester", "Changed-1"}};
    for (const QStringList& session : unreachable) {
        const QString file = '\\' + session[0] + "\\a.txt";
        writeDevice(file, "unsent");
        addSession(session[0], NetSessionLine("Put", session[1], "WG", '\\' + session[0], "\\out",
                                              "None", {}, session[2], session[3]));
        params.entries.append({session[0], file});
    }
    addSession("Idle", NetSessionLine("Put", "\\\\" + closed + "\\share", "WG", "\\Idle", "\\",
                                      "None", {}, "tester", "Changed-1"));
    writeDevice("\\Good\\a.txt", "Good");
    makeShareFolder("out");
    addSession("Good", line("Put", "\\Good", "\\out"));
    params.entries.append(TransferEntry{"Good", "\\Good\\a.txt"});

    EXPECT_EQ(run(), 1);

    const QString map = "Failed to map to network share";
    EXPECT_EQ(
        messages.texts(),
        QStringList({map + ' ' + samba().shareText() +
                         "\r\nWrong user name or password.\r\nSessions: Stale, Stranger",
                     map + ' ' + samba().shareText("gone") +
                         "\r\nThe server has no share named \"gone\".\r\nSession: Gone",
                     map + " \\\\" + closed + "\\share\r\nNo server answers at 127.0.0.1, port " +
                         closed.mid(10) + ".\r\nSession: Closed",
                     map + "s " + quiet + "\\share, " + quiet + "\\other\r\nThe server at " +
                         silent.server().replace(':', ", port ") +
                         ", did not answer within 5 seconds.\r\nSessions: Silent, Hushed",
                     map + ' ' + busy.shareText() +
                         "\r\nThe server at 127.0.0.1 takes no more connections.\r\n"
                         "Session: Busy",
                     map + ' ' + old.shareText() +
                         "\r\nThe server at 127.0.0.1 speaks only SMB1, an old version of the "
                         "file sharing protocol that Tarvo does not use. The server's "
                         "administrator can enable SMB2 or later.\r\nSession: Old"}));
    EXPECT_EQ(readShare("out/a.txt"), "Good");
    EXPECT_EQ(observer.summary.text(), "1 of 9 files are transferred successfully");
}

// A listing that its caller stopped by throwing leaves nothing open: once
// the connection to that share is cancelled, the next operation that takes
// over the listing's context (here a listing inside a listing of another
// share, which holds that share's context) forgets the cancelled share's
// session, and the server lets it go.
TEST_F(LogonTest, ASessionGoesWithItsConnectionAfterAListingThatThrew)
{
    ASSERT_EQ(connect("Other", "other"), 0);
    writeShare("../other/o.txt", "o");
    writeShare("s.txt", "s");
    FileSystem& files = platform->files();
    const auto stop = [](const DirEntry&) -> bool { throw std::runtime_error("stopped"); };
    EXPECT_THROW(files.listFolder(samba().shareText("other"), stop), std::runtime_error);
    ASSERT_EQ(platform->connections().cancelConnection("Other", false, true), 0);
    ASSERT_TRUE(samba().connectedShares().contains("other")); // kept until its context is reused
    ASSERT_EQ(connect("Share"), 0);
    int inner = -1;
    EXPECT_EQ(files.listFolder(samba().shareText(),
                               [&](const DirEntry&) {
                                   inner = files.listFolder(samba().shareText(),
                                                            [](const DirEntry&) { return true; });
                                   return false;
                               }),
              0);
    EXPECT_EQ(inner, 0);
    const QDeadlineTimer deadline(10000); // the server's process for it ends on its own
    while (samba().connectedShares().contains("other") && !deadline.hasExpired())
        QThread::msleep(20);
    EXPECT_FALSE(samba().connectedShares().contains("other"));
}

} // namespace
} // namespace tarvo::test
