// The program as a user runs it against Samba set up as offices set it up:
// vetoed names, one connection per client, coarse file times, signing and
// encryption required, and names the client cannot read; and names of every kind: from every
// script, and with characters that URLs reserve (the transfer tests cover names that differ only in
// letter case).
#include "tests/e2e/Scenario.h"

#include <QRegularExpression>

namespace tarvo::test {
namespace {

using OfficeSharesTest = Scenario;

// Shares that veto the program's usual temporary names, or every one (an
// existing file is then never overwritten in place), that take one
// connection per client (Samba's two helper processes count among its "max
// smbd processes"), or that keep file times to two seconds (FAT disks behind
// a NAS), or that require signed or encrypted traffic: a list, a Sync send and a fetch, then the
// same send again, which finds every file it copied the same.
struct Office
{
    const char* name;
    QStringList serverOptions;
    QStringList shareOptions;
    bool replaces;
};

class OfficeShareTest : public Scenario, public ::testing::WithParamInterface<Office>
{};

TEST_P(OfficeShareTest, SendsAndFetchesWhatTheShareTakes)
{
    const Office& office = GetParam();
    ASSERT_TRUE(samba().configure(office.serverOptions, office.shareOptions))
        << samba().error().toStdString();
    for (int i = 0; i < 3; ++i) // odd seconds and a fraction: a coarse share keeps other times
        writeLocal(native(QString("\\Out\\a%1.txt").arg(i)), "new",
                   QDateTime::fromMSecsSinceEpoch(1700000001500 + i * 2000));
    writeDevice("\\Out\\big.bin", Pattern(10 * MiB)); // through parallel sessions
    writeLocal(onShare("out/a0.txt"), "old", QDateTime::fromSecsSinceEpoch(1600000000));
    writeShare("in/big.bin", Pattern(10 * MiB, 1));
    writeShare("in/small.txt", "small");
    QDir().mkpath(native("\\In"));
    params.settings.DefaultChoice = ReplaceNoToAll; // what Sync finds unchanged stays
    addSession("Send", line("Put", "\\Out", "\\out", "Sync"));
    addSession("Fetch", line("Get", "\\In", "\\in"));

    const Outcome list = tarvo({"list"});
    const Outcome send = tarvo({"send", "--yes"});
    const auto sent = Inodes(onShare("out"));
    tarvo({"send", "--yes"});

    EXPECT_EQ(list.exitCode, 0) << list.err.constData();
    EXPECT_EQ(list.out.count('\n'), 6);
    EXPECT_EQ(send.exitCode, office.replaces ? 0 : 1) << send.err.constData();
    EXPECT_EQ(sent.keys(), QStringList({"a0.txt", "a1.txt", "a2.txt", "big.bin"}));
    EXPECT_EQ(readShare("out/a0.txt"), office.replaces ? "new" : "old");
    EXPECT_TRUE(readShare("out/big.bin") == Pattern(10 * MiB));
    EXPECT_TRUE(TempFolder::read(native("\\In\\big.bin")) == Pattern(10 * MiB, 1));
    EXPECT_EQ(TempFolder::read(native("\\In\\small.txt")), "small");
    EXPECT_EQ(Inodes(onShare("out")), sent) << "copied again";
    EXPECT_EQ(send.err.contains("a0.txt\nThe server refuses temporary files in that folder, so "
                                "the existing file was not replaced."),
              !office.replaces)
        << send.err.constData();
}

INSTANTIATE_TEST_SUITE_P(
    Shares, OfficeShareTest,
    ::testing::Values(Office{"DotFilesVetoed", {}, {"veto files = /.*/"}, true},
                      Office{"PartFilesVetoed", {}, {"veto files = /*.part/"}, true},
                      Office{"EveryTemporaryNameVetoed", {}, {"veto files = /.*/*.tmp/"}, false},
                      Office{"OneConnectionPerClient", {"max smbd processes = 3"}, {}, true},
                      Office{"CoarseTimes", {}, {"dos filetime resolution = yes"}, true},
                      Office{"SigningRequired", {"server signing = mandatory"}, {}, true},
                      Office{"EncryptionRequired", {"server smb encrypt = required"}, {}, true}),
    [](const auto& info) { return std::string(info.param.name); });

// Sync decides names as the share compares them. A share ignores letter case
// (Samba's default, as Windows does): REPORT.TXT is what report.txt lands on,
// kept while it looks the same. One set to tell case apart holds both names
// as two files: REPORT.TXT is not carried, and goes. The dry run says first
// exactly what the send does, and a second send copies nothing.
struct CaseRule
{
    const char* name;
    QStringList shareOptions;
    const char* dryRun; // its lines, "TARGET" for the share's folder
};

class SyncCaseTest : public Scenario, public ::testing::WithParamInterface<CaseRule>
{};

TEST_P(SyncCaseTest, SyncDecidesNamesAsTheShareComparesThem)
{
    ASSERT_TRUE(samba().configure({}, GetParam().shareOptions)) << samba().error().toStdString();
    writeDevice("\\Out\\report.txt", "same");
    writeShare("out/REPORT.TXT", "same");
    params.settings.DefaultChoice = ReplaceNoToAll;
    addSession("Mirror", line("Put", "\\Out", "\\out", "Sync"));
    const QString target = sharePath("out");

    const Outcome dry = tarvo({"send", "--dry-run"});
    const Outcome send = tarvo({"send"});
    const auto sent = Inodes(onShare("out"));
    tarvo({"send"});

    EXPECT_EQ(ActionsOf(QString::fromUtf8(dry.out).split(u'\n')).join(u'\n'),
              QString(GetParam().dryRun).replace("TARGET", target));
    EXPECT_EQ(send.exitCode, 0) << send.err.constData();
    EXPECT_EQ(sent.size(), 1);
    EXPECT_EQ(Inodes(onShare("out")), sent) << "copied again";
}

INSTANTIATE_TEST_SUITE_P(
    Shares, SyncCaseTest,
    ::testing::Values(
        CaseRule{"IgnoresCase",
                 {},
                 "keep\t\\Out\\report.txt\tTARGET\\REPORT.TXT\n"
                 "Nothing was changed: this was a dry run.\n"},
        CaseRule{"TellsCaseApart",
                 {"case sensitive = yes"},
                 "prune\tTARGET\\REPORT.TXT\t\ncopy\t\\Out\\report.txt\tTARGET\\report.txt\n"
                 "Nothing was changed: this was a dry run.\n"}),
    [](const auto& info) { return std::string(info.param.name); });

// A name that the client library cannot represent (a backslash, which a
// non-Windows server may send) makes its folder unreadable: the list says so,
// shows the other sessions, exits 1, and the library prints nothing of its
// own, not even for a broken configuration of its own.
TEST_F(OfficeSharesTest, AnUnreadableNameIsReportedNotListedAsEmpty)
{
    ASSERT_TRUE(samba().configure({}, {"mangled names = no"}));
    writeShare("in/a\\b.txt", "x");
    writeShare("in/c.txt", "c");
    writeShare("other/d.txt", "d");
    m_work.write("home/.smb/smb.conf", "[global]\nbogus parameter = yes\n");
    addSession("Fetch", line("Get", "\\", "\\in"));
    addSession("Other", line("Get", "\\", "\\other"));

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

using NamesTest = Scenario;

// Sent with Sync, which keeps their times, then fetched back and moved into
// a folder on the share.
TEST_F(NamesTest, StrangeNamesGoBothWaysWithTheirTimes)
{
    QMap<QString, QByteArray> strange;
    // The last, of 255 bytes, is the longest name a share holds.
    const QStringList names = {QString::fromUtf8("caf\xC3\xA9 d\xC3\xA9j\xC3\xA0.txt"),
                               QString::fromUtf8("\xE6\x96\x87\xE4\xBB\xB6 \xE5\x90\x8D.txt"),
                               QString::fromUtf8("\xF0\x9F\x98\x80 smile.txt"),
                               "with  blanks %20#&.txt",
                               "a,b;c.txt",
                               ".hidden",
                               "; starts like a comment",
                               QString(126, QChar(0xE9)) + QStringLiteral("xyz")};
    for (const QString& name : names) {
        strange.insert(name, "content of " + name.toUtf8());
        writeDevice(QStringLiteral("\\Out box\\") + name, strange.value(name));
    }
    writeShare("in; out here/stale.txt", "stale");
    addSession(QString::fromUtf8("B\xC3\xBCro"),
               line("Put", "\\Out box", "\\in; out here", "Sync"));
    const Outcome put = tarvo({"send", "--yes"});
    ASSERT_EQ(put.exitCode, 0) << put.err.constData();
    EXPECT_EQ(FilesIn(onShare("in; out here")), strange);
    EXPECT_EQ(QFileInfo(onShare("in; out here/.hidden")).lastModified(),
              QDateTime(QDate(2026, 11, 2), QTime(9, 30), Qt::UTC)); // as written

    params.settings.DefaultSession = {"Back"};
    addSession("Back",
               line("Get", QString::fromUtf8("\\Caf\xC3\xA9 in;"), "\\in; out here", "Move",
                    sharePath("in; out here/.done")),
               false);
    makeShareFolder("in; out here/.done");
    QDir().mkpath(native(QString::fromUtf8("\\Caf\xC3\xA9 in;")));
    const Outcome get = tarvo({"send", "--yes"});
    EXPECT_EQ(get.exitCode, 0) << get.err.constData();
    EXPECT_EQ(FilesIn(native(QString::fromUtf8("\\Caf\xC3\xA9 in;"))), strange);
    EXPECT_EQ(FilesIn(onShare("in; out here/.done")), strange);
}

} // namespace
} // namespace tarvo::test
