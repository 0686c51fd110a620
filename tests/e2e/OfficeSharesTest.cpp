// Whole runs of the program against Samba servers set up as offices set them
// up: vetoed names, one connection per client, coarse file times, names a
// client cannot read, and a run killed halfway.
#include "tests/e2e/FaultSupport.h"
#include "tests/support/RunProgram.h"
#include "tests/support/SambaServer.h"
#include "tests/support/TempFiles.h"

#include <csignal>
#include <gtest/gtest.h>
#include <QDateTime>
#include <sys/stat.h>
#include <sys/wait.h>

namespace tarvo::test {
namespace {

struct Outcome
{
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

class OfficeShareTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        if (!SambaServer::isInstalled())
            GTEST_SKIP() << "Samba's smbd is not installed (apt-get install samba)";
    }

    // The test's own server, set up with the office's options.
    void startServer(const QStringList& serverOptions, const QStringList& shareOptions)
    {
        ASSERT_TRUE(server.configure(serverOptions, shareOptions));
        ASSERT_TRUE(server.start()) << server.error().toStdString();
    }

    // A Net session line for the test share, by direction, folders and
    // post-operation.
    QString session(const char* direction, const QString& local, const QString& remote,
                    const char* postOp = "None") const
    {
        return QStringLiteral("Net,%1,%2,WORKGROUP,%3,%4,%5,,%6,%7")
            .arg(QLatin1String(direction), server.shareText(), local, remote, QLatin1String(postOp),
                 QLatin1String(SambaServer::UserName), server.password());
    }

    // A configuration whose default sessions are these, in this order.
    void configure(const QList<QPair<QString, QString>>& sessions)
    {
        QByteArray text = "[Setting]\r\nShowArchive=Yes\r\nFilter=*\r\nDefaultChoice=No\r\n"
                          "DefaultSession=";
        QStringList names;
        for (const auto& session : sessions)
            names.append(session.first);
        text += names.join(u',').toUtf8() + "\r\n[Session]\r\n";
        for (const auto& session : sessions)
            text += (session.first + u'=' + session.second).toUtf8() + "\r\n";
        work.write(QStringLiteral("tarvo.txt"), text);
    }

    qint64 start(const QStringList& arguments, const QStringList& environment = {})
    {
        return StartProgram(
            QStringLiteral(TARVO_EXECUTABLE),
            QStringList{"--config", work.filePath("tarvo.txt"), "--root", device()} + arguments,
            QStringList{"TARVO_REGISTRY=" + work.filePath("registry.ini")} + environment,
            work.filePath("out"), work.filePath("err"));
    }

    Outcome finish(qint64 pid)
    {
        int status = 0;
        ::waitpid(pid_t(pid), &status, 0);
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1,
                TempFolder::read(work.filePath("out")), TempFolder::read(work.filePath("err"))};
    }

    Outcome tarvo(const QStringList& arguments, const QStringList& environment = {})
    {
        return finish(start(arguments, environment));
    }

    QString device() const { return work.filePath(QStringLiteral("device")); }
    QString local(const QString& relative) const { return device() + u'/' + relative; }
    QString onShare(const QString& relative) const
    {
        return server.shareFolder() + u'/' + relative;
    }
    static void write(const QString& path, const QByteArray& bytes)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(bytes);
    }
    static QByteArray read(const QString& path) { return TempFolder::read(path); }
    // Every name in a folder, the hidden ones included.
    static QStringList names(const QString& folder)
    {
        return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                      QDir::Name);
    }

    SambaServer server;
    TempFolder work;
};

// A share that vetoes the program's usual temporary name still takes every
// file that smbclient could put there; one that vetoes every temporary name
// takes new files, and never has an existing one overwritten in place.
struct VetoCase
{
    const char* name;
    const char* veto;
    bool replaces; // an existing target is replaced
};

void PrintTo(const VetoCase& c, std::ostream* out)
{
    *out << c.name;
}

class VetoedNamesTest : public OfficeShareTest, public ::testing::WithParamInterface<VetoCase>
{};

TEST_P(VetoedNamesTest, PutsWhatTheShareTakes)
{
    const VetoCase& c = GetParam();
    startServer({}, {QStringLiteral("veto files = ") + QLatin1String(c.veto)});
    write(local("Outbox/new.txt"), "new file");
    write(local("Outbox/big.bin"), QByteArray(10 << 20, 'b')); // through parallel sessions
    write(local("Outbox/old.txt"), "replacement");
    write(onShare("out/old.txt"), "old");
    configure({{"Office", session("Put", "\\Outbox", "\\out")}});

    const Outcome run = tarvo({"send", "--yes"});

    EXPECT_EQ(read(onShare("out/new.txt")), "new file");
    EXPECT_TRUE(read(onShare("out/big.bin")) == QByteArray(10 << 20, 'b'));
    if (c.replaces) {
        EXPECT_EQ(run.exitCode, 0) << run.err.constData();
        EXPECT_EQ(read(onShare("out/old.txt")), "replacement");
        EXPECT_TRUE(run.out.contains("3 of 3 files are transferred successfully"));
    } else {
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(read(onShare("out/old.txt")), "old");
        EXPECT_TRUE(run.err.contains("old.txt\nThe server refuses temporary files in that folder, "
                                     "so the existing file was not replaced."))
            << run.err.constData();
    }
    EXPECT_EQ(names(onShare("out")), QStringList({"big.bin", "new.txt", "old.txt"}));
}

INSTANTIATE_TEST_SUITE_P(Cases, VetoedNamesTest,
                         ::testing::Values(VetoCase{"DotFiles", "/.*/", true},
                                           VetoCase{"PartFiles", "/*.part/", true},
                                           VetoCase{"EveryTemporaryName", "/.*/*.tmp/", false}),
                         [](const auto& info) { return std::string(info.param.name); });

// A server that takes one connection per client (Samba's two helper
// processes count among its "max smbd processes"): the listing, the
// transfer after it and the big files' parallel sessions all share the one
// connection, and every file arrives whole.
TEST_F(OfficeShareTest, OneConnectionPerClientServesTheWholeRun)
{
    startServer({QStringLiteral("max smbd processes = 3")}, {});
    const QByteArray big(10 << 20, 'g');
    write(onShare("in/big.bin"), big);
    write(onShare("in/small.txt"), "small");
    write(local("Outbox/big.bin"), big);
    write(local("Outbox/small.txt"), "small");
    configure({{"Fetch", session("Get", "\\Inbox", "\\in")},
               {"Send", session("Put", "\\Outbox", "\\out")}});
    QDir().mkpath(local("Inbox"));
    QDir().mkpath(onShare("out"));

    const Outcome list = tarvo({"list"});
    EXPECT_EQ(list.exitCode, 0) << list.err.constData();
    EXPECT_EQ(list.out.count('\n'), 4);

    const Outcome send = tarvo({"send", "--yes"});
    EXPECT_EQ(send.exitCode, 0) << send.err.constData();
    EXPECT_TRUE(send.out.contains("4 of 4 files are transferred successfully"));
    EXPECT_TRUE(read(local("Inbox/big.bin")) == big);
    EXPECT_TRUE(read(onShare("out/big.bin")) == big);
    EXPECT_EQ(read(local("Inbox/small.txt")), "small");
    EXPECT_EQ(read(onShare("out/small.txt")), "small");
}

// A share that keeps file times to two seconds (FAT disks behind a NAS):
// files that Sync copied once count as the same on the next run.
TEST_F(OfficeShareTest, SyncOnCoarseTimesCopiesOnlyOnce)
{
    startServer({}, {QStringLiteral("dos filetime resolution = yes")});
    for (int i = 0; i < 3; ++i) {
        const QString path = local(QStringLiteral("Mirror/f%1.txt").arg(i));
        write(path, "content");
        // Odd seconds and a fraction: what the share keeps differs.
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        file.setFileTime(QDateTime::fromMSecsSinceEpoch(1700000001500 + i * 2000),
                         QFileDevice::FileModificationTime);
    }
    configure({{"Mirror", session("Put", "\\Mirror", "\\mirror", "Sync")}});
    QDir().mkpath(onShare("mirror"));

    ASSERT_EQ(tarvo({"send", "--yes"}).exitCode, 0);
    QList<ino_t> copied;
    for (int i = 0; i < 3; ++i) {
        struct stat status;
        ASSERT_EQ(
            ::stat(QFile::encodeName(onShare(QStringLiteral("mirror/f%1.txt").arg(i))), &status),
            0);
        copied.append(status.st_ino);
    }
    const Outcome again = tarvo({"send", "--yes"});

    EXPECT_EQ(again.exitCode, 0) << again.err.constData();
    EXPECT_TRUE(again.out.contains("3 of 3 files are transferred successfully"));
    for (int i = 0; i < 3; ++i) {
        struct stat status;
        ::stat(QFile::encodeName(onShare(QStringLiteral("mirror/f%1.txt").arg(i))), &status);
        EXPECT_EQ(status.st_ino, copied.at(i)) << "f" << i << ".txt was copied again";
    }
}

// A name that the client library cannot represent (a backslash, which a
// non-Windows server may send) makes its folder unreadable: the run says so
// for that folder, lists the other sessions, exits 1, and the library prints
// nothing of its own, not even for a broken configuration of its own.
TEST_F(OfficeShareTest, AnUnreadableNameIsReportedNotListedAsEmpty)
{
    startServer({}, {QStringLiteral("mangled names = no")});
    write(onShare("in/a\\b.txt"), "x");
    write(onShare("in/c.txt"), "c");
    write(onShare("other/d.txt"), "d");
    write(work.filePath("home/.smb/smb.conf"), "[global]\nbogus parameter = yes\n");
    QDir().mkpath(device());
    configure({{"Fetch", session("Get", "\\Inbox", "\\in")},
               {"Other", session("Get", "\\Other", "\\other")}});

    const Outcome list = tarvo({"list"}, {"HOME=" + work.filePath("home")});

    EXPECT_EQ(list.exitCode, 1);
    EXPECT_EQ(list.out.count('\n'), 1);
    EXPECT_TRUE(list.out.startsWith("d.txt\t")) << list.out.constData();
    EXPECT_TRUE(list.err.contains("Failed to list folder " + server.shareText().toUtf8() +
                                  "\\in\\ of session Fetch\nThe folder holds a name that cannot "
                                  "be read over the network"))
        << list.err.constData();
    EXPECT_FALSE(list.err.contains("finfo")) << list.err.constData();
    EXPECT_FALSE(list.err.contains("bogus")) << list.err.constData();
}

// A run killed in the middle of a copy (kill -9, a power loss) leaves its
// part behind: no later run lists, fetches or counts it, and the next run
// that writes into that folder removes it.
TEST_F(OfficeShareTest, AKilledRunsPartsAreNeverListedAndGoWithTheNextRun)
{
    startServer({}, {});
    const QByteArray big(6 << 20, 'k');
    write(local("Outbox/big.bin"), big);
    write(onShare("in/big.bin"), big);
    QDir().mkpath(local("Inbox"));
    QDir().mkpath(onShare("out"));
    configure({{"Send", session("Put", "\\Outbox", "\\out")},
               {"Fetch", session("Get", "\\Inbox", "\\in")}});

    // Killed once a block of each file has moved: a part stands on each side.
    for (const QString& name : {QStringLiteral("Send"), QStringLiteral("Fetch")}) {
        configure({{name, name == u"Send" ? session("Put", "\\Outbox", "\\out")
                                          : session("Get", "\\Inbox", "\\in")}});
        const qint64 pid = start({"send", "--yes"}, {"TARVO_STOP_AFTER_BYTES=2097152"});
        int status = 0;
        ASSERT_EQ(::waitpid(pid_t(pid), &status, WUNTRACED), pid);
        ASSERT_TRUE(WIFSTOPPED(status)) << "the run ended before its first block";
        ::kill(pid_t(pid), SIGKILL);
        ::waitpid(pid_t(pid), &status, 0);
    }
    ASSERT_EQ(PartFiles(onShare("out")).size(), 1);
    ASSERT_EQ(PartFiles(local("Inbox")).size(), 1);

    // The share's folder as a Get session sees it, and the device's as a Put
    // session sees it: neither shows the parts.
    write(onShare("out/seen.txt"), "s");
    write(local("Inbox/seen.txt"), "s");
    configure({{"Look", session("Get", "\\Inbox", "\\out")},
               {"Back", session("Put", "\\Inbox", "\\in")}});
    const Outcome list = tarvo({"list"});
    EXPECT_EQ(list.exitCode, 0) << list.err.constData();
    EXPECT_EQ(list.out.count('\n'), 2) << list.out.constData();
    EXPECT_FALSE(list.out.contains("tarvo")) << list.out.constData();

    configure({{"Send", session("Put", "\\Outbox", "\\out")},
               {"Fetch", session("Get", "\\Inbox", "\\in")}});
    const Outcome again = tarvo({"send", "--yes", "big.bin"});
    EXPECT_EQ(again.exitCode, 0) << again.err.constData();
    EXPECT_TRUE(again.out.contains("2 of 2 files are transferred successfully"));
    EXPECT_TRUE(read(onShare("out/big.bin")) == big);
    EXPECT_TRUE(read(local("Inbox/big.bin")) == big);
    EXPECT_EQ(names(onShare("out")), QStringList({"big.bin", "seen.txt"}));
    EXPECT_EQ(names(local("Inbox")), QStringList({"big.bin", "seen.txt"}));
}

} // namespace
} // namespace tarvo::test
