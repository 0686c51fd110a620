// The program as a user runs it against Samba set up as offices set it up:
// vetoed names, one connection per client, coarse file times, names the
// client cannot read, and a run killed halfway.
#include "tests/e2e/Scenario.h"

#include <csignal>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace tarvo::test {
namespace {

constexpr qint64 MiB = 1 << 20;

class OfficeSharesTest : public Scenario
{
protected:
    void serve(const QStringList& serverOptions, const QStringList& shareOptions)
    {
        ASSERT_TRUE(samba().configure(serverOptions, shareOptions))
            << samba().error().toStdString();
    }
    QString put(const QString& local, const QString& remote, const QString& postOp = "None")
    {
        return line("Put", local, remote, postOp);
    }
    QString get(const QString& local, const QString& remote) { return line("Get", local, remote); }
};

// A share that vetoes the program's usual temporary name takes every file
// that smbclient could put there; one that vetoes every temporary name takes
// new files, and never has an existing one overwritten in place.
struct Veto
{
    const char* name;
    const char* files;
    bool replaces;
};

void PrintTo(const Veto& c, std::ostream* out)
{
    *out << c.name;
}

class VetoTest : public OfficeSharesTest, public ::testing::WithParamInterface<Veto>
{};

TEST_P(VetoTest, PutsWhatTheShareTakes)
{
    serve({}, {QStringLiteral("veto files = ") + QLatin1String(GetParam().files)});
    writeDevice("\\Outbox\\new.txt", "new file");
    writeDevice("\\Outbox\\big.bin", QByteArray(10 * MiB, 'b')); // in parallel
    writeDevice("\\Outbox\\old.txt", "replacement");
    writeShare("out/old.txt", "old");
    addSession("Office", put("\\Outbox", "\\out"));

    const Outcome run = tarvo({"send", "--yes"});

    EXPECT_EQ(shareNames("out"), QStringList({"big.bin", "new.txt", "old.txt"}));
    EXPECT_EQ(readShare("out/new.txt"), "new file");
    EXPECT_TRUE(readShare("out/big.bin") == QByteArray(10 * MiB, 'b'));
    EXPECT_EQ(run.exitCode, GetParam().replaces ? 0 : 1) << run.err.constData();
    EXPECT_EQ(readShare("out/old.txt"), GetParam().replaces ? "replacement" : "old");
    if (!GetParam().replaces) {
        EXPECT_TRUE(run.err.contains("old.txt\nThe server refuses temporary files in that folder, "
                                     "so the existing file was not replaced."))
            << run.err.constData();
    }
}

INSTANTIATE_TEST_SUITE_P(Shares, VetoTest,
                         ::testing::Values(Veto{"DotFiles", "/.*/", true},
                                           Veto{"PartFiles", "/*.part/", true},
                                           Veto{"EveryTemporaryName", "/.*/*.tmp/", false}),
                         [](const auto& info) { return std::string(info.param.name); });

// One connection per client (Samba's two helper processes count among its
// "max smbd processes"): the listing, the transfer after it and a big file's
// parallel sessions share the one connection, and every file arrives whole.
TEST_F(OfficeSharesTest, OneConnectionPerClientServesTheWholeRun)
{
    serve({"max smbd processes = 3"}, {});
    const QByteArray big(10 * MiB, 'g');
    for (const QString& folder : {onShare("in"), native("\\Out")}) {
        writeLocal(folder + QStringLiteral("/big.bin"), big);
        writeLocal(folder + QStringLiteral("/small.txt"), "small");
    }
    QDir().mkpath(native("\\In"));
    makeShareFolder("out");
    addSession("Fetch", get("\\In", "\\in"));
    addSession("Send", put("\\Out", "\\out"));

    const Outcome list = tarvo({"list"});
    EXPECT_EQ(list.exitCode, 0) << list.err.constData();
    EXPECT_EQ(list.out.count('\n'), 4);
    const Outcome send = tarvo({"send", "--yes"});

    EXPECT_EQ(send.exitCode, 0) << send.err.constData();
    for (const QString& folder : {native("\\In"), onShare("out")}) {
        EXPECT_TRUE(TempFolder::read(folder + QStringLiteral("/big.bin")) == big);
        EXPECT_EQ(TempFolder::read(folder + QStringLiteral("/small.txt")), "small");
    }
}

// A share that keeps file times to two seconds (FAT disks behind a NAS):
// files that Sync copied once count as the same on the next run.
TEST_F(OfficeSharesTest, SyncOnCoarseTimesCopiesOnlyOnce)
{
    serve({}, {"dos filetime resolution = yes"});
    for (int i = 0; i < 3; ++i) // odd seconds and a fraction: the share keeps other times
        writeDevice(QStringLiteral("\\Mirror\\f%1.txt").arg(i), "content",
                    QDateTime::fromMSecsSinceEpoch(1700000001500 + i * 2000));
    makeShareFolder("mirror");
    params.settings.DefaultChoice = ReplaceNoToAll; // what Sync finds unchanged stays
    addSession("Mirror", put("\\Mirror", "\\mirror", "Sync"));
    const auto inodes = [this] {
        QList<ino_t> found;
        for (const QString& name : shareNames("mirror")) {
            struct stat status = {};
            ::stat(QFile::encodeName(onShare(QStringLiteral("mirror/") + name)), &status);
            found.append(status.st_ino);
        }
        return found;
    };

    ASSERT_EQ(tarvo({"send", "--yes"}).exitCode, 0);
    const QList<ino_t> copied = inodes();
    const Outcome again = tarvo({"send", "--yes"});

    EXPECT_EQ(again.exitCode, 0) << again.err.constData();
    EXPECT_EQ(copied.size(), 3);
    EXPECT_EQ(inodes(), copied) << "copied again";
}

// A name that the client library cannot represent (a backslash, which a
// non-Windows server may send) makes its folder unreadable: the list says so,
// shows the other sessions, exits 1, and the library prints nothing of its
// own, not even for a broken configuration of its own.
TEST_F(OfficeSharesTest, AnUnreadableNameIsReportedNotListedAsEmpty)
{
    serve({}, {"mangled names = no"});
    writeShare("in/a\\b.txt", "x");
    writeShare("in/c.txt", "c");
    writeShare("other/d.txt", "d");
    m_work.write("home/.smb/smb.conf", "[global]\nbogus parameter = yes\n");
    addSession("Fetch", get("\\", "\\in"));
    addSession("Other", get("\\", "\\other"));

    const Outcome list = tarvo({"list"}, {"HOME=" + m_work.filePath("home")});

    EXPECT_EQ(list.exitCode, 1);
    // The other session's row: name, date, size, folder and session.
    EXPECT_TRUE(QRegularExpression("^d.txt\t[^\t]+\t0k\t\\\\\\\\[^\t]+\\\\other\\\\\tOther\n$")
                    .match(QString::fromUtf8(list.out))
                    .hasMatch())
        << list.out.data();
    EXPECT_TRUE(list.err.contains("Failed to list folder " + samba().shareText().toUtf8() +
                                  "\\in\\ of session Fetch\nThe folder holds a name that cannot "
                                  "be read over the network"))
        << list.err.constData();
    EXPECT_FALSE(list.err.contains("finfo") || list.err.contains("bogus")) << list.err.data();
}

// A run killed in the middle of a copy (kill -9, a power loss) leaves its
// part behind: no later run lists or fetches it, and the next run that
// writes into that folder removes it.
TEST_F(OfficeSharesTest, AKilledRunsPartsAreNeverListedAndGoWithTheNextRun)
{
    serve({}, {});
    const QByteArray big(6 * MiB, 'k');
    writeDevice("\\Outbox\\big.bin", big);
    writeShare("in/big.bin", big);
    QDir().mkpath(native("\\Inbox"));
    makeShareFolder("out");
    const QString send = put("\\Outbox", "\\out");
    const QString fetch = get("\\Inbox", "\\in");
    // Stopped by the program itself once 2 MiB have moved, then killed.
    for (const QString& session : {send, fetch}) {
        params.settings.Sessions.insert("Run", session);
        params.settings.DefaultSession = {"Run"};
        const qint64 pid = start({"send", "--yes"}, {"TARVO_STOP_AFTER_BYTES=2097152"});
        int status = 0;
        ASSERT_EQ(::waitpid(pid_t(pid), &status, WUNTRACED), pid);
        ASSERT_TRUE(WIFSTOPPED(status)) << "the run ended before its first block";
        ::kill(pid_t(pid), SIGKILL);
        ::waitpid(pid_t(pid), &status, 0);
    }
    ASSERT_EQ(PartsIn(onShare("out")).size(), 1);
    ASSERT_EQ(PartsIn(native("\\Inbox")).size(), 1);

    // Each folder as the other direction lists it: neither shows its part.
    params.settings.DefaultSession.clear();
    addSession("Look", get("\\Inbox", "\\out"));
    addSession("Back", put("\\Inbox", "\\in"));
    const Outcome list = tarvo({"list"});
    EXPECT_EQ(list.exitCode, 0) << list.err.constData();
    EXPECT_TRUE(list.out.isEmpty()) << list.out.constData();

    params.settings.DefaultSession.clear();
    addSession("Send", send);
    addSession("Fetch", fetch);
    const Outcome again = tarvo({"send", "--yes"});
    EXPECT_EQ(again.exitCode, 0) << again.err.constData();
    EXPECT_EQ(shareNames("out"), QStringList{"big.bin"});
    EXPECT_EQ(QDir(native("\\Inbox")).entryList(QDir::Files | QDir::Hidden),
              QStringList{"big.bin"});
}

} // namespace
} // namespace tarvo::test
