#include "core/transfer/SyncPlan.h"
#include "tests/support/MemoryRunFixture.h"

namespace tarvo::test {
namespace {
using SyncRunTest = MemoryRunFixture;

// The run carries a.csv to f.csv into a folder that holds the same a.csv to
// d.csv, an older F.CSV, and files and a folder the run does not carry. Each
// same file is asked about, copied on Yes and kept on No or when the
// question is closed, neither of which spares the next question, until Yes
// To All spares the questions after it; the changed F.CSV
// is copied without a question and keeps its name. Pruning deletes only plain
// files of the target folder that the session's entries do not carry (an
// entry of another session does not count) and that the run's NAME patterns
// match; a link or a pipe is no file of the mirror. A Sync session of which
// nothing was chosen prunes nothing. A target folder that cannot be listed
// prunes nothing, and each file is judged on its own; a copy that fails is
// not counted.
TEST_F(SyncRunTest, MirrorsTheRunAskingAboutEachSameFile)
{
    params.namePatterns = {"*.csv"};
    addSession("Idle", line("Put", "\\Docs", "idle", "Sync"));
    files.addFiles(onShare("idle\\keep.csv=k|") + onShare("out\\F.CSV=old|") +
                   onShare("blind\\a.csv=old!|") + onShare("blind\\stale.csv=s"));
    addSession("Mirror", line("Put", "\\Docs", "out", "Sync"));
    for (const QString name : {"a.csv", "b.csv", "c.csv", "d.csv", "e.csv", "f.csv"}) {
        files.addFile("\\Docs\\" + name, "new");
        choose("Mirror", {"\\Docs\\" + name});
    }
    for (const QString name : {"a.csv", "b.csv", "c.csv", "d.csv", "o.csv", "x.csv", "notes.txt"})
        files.addFile(onShare("out\\" + name), "new");
    files.addFolder(onShare("out\\sub.csv"));
    files.addFile(onShare("out\\pipe.csv"), "", MemoryFileSystem::DefaultTime,
                  FileAttribute::NotPlain);
    choose("Other", {"\\Docs\\o.csv"});
    files.failNext(MemoryFileSystem::Op::List, "share\\blind", PlatformError::AccessDenied);
    addSession("Blind", line("Put", "\\Docs", "blind", "Sync"),
               {"\\Docs\\a.csv", "\\Docs\\missing.csv"});
    // Yes, No, the question closed without a button, then Yes To All.
    for (const ReplaceAnswer answer : {ReplaceYes, ReplaceNo, ReplaceAsk, ReplaceYesToAll})
        messages.answerNextReplace({answer != ReplaceAsk, answer});

    EXPECT_EQ(run().text(), "7 of 9 files are transferred successfully");
    EXPECT_EQ(messages.texts(), QStringList("Failed to copy file \\Docs\\missing.csv to " +
                                            onShare("blind\\missing.csv") +
                                            "\r\nThe file does not exist (any more)."));
    EXPECT_EQ(files.names(onShare("blind")), QStringList({"a.csv", "stale.csv"}));
    EXPECT_EQ(files.data(onShare("blind\\a.csv")), "new");
    EXPECT_EQ(files.names(onShare("out")).join(u' '),
              "F.CSV a.csv b.csv c.csv d.csv e.csv notes.txt pipe.csv sub.csv");
    EXPECT_EQ(files.data(onShare("out\\F.CSV")), "new");
    EXPECT_EQ(files.names(onShare("idle")), QStringList("keep.csv"));
    EXPECT_EQ(files.journal().filter("copy ").size(), 5);
    EXPECT_EQ(messages.replaceQuestions().size(), 4);
    for (const ScriptedMessageService::Asked& asked : messages.replaceQuestions())
        EXPECT_EQ(asked.existing.path, onShare("out\\") + asked.incoming.path.mid(6));
}

// Sync compares the whole size, and nothing but the size and the last-write
// time: 4 GiB apart is not the same, another creation time is. A share that
// keeps times to 2 seconds: what Sync copied once is the same on the next
// run, and the bar ends full. One that keeps no time: said once, and copied
// again.
TEST_F(SyncRunTest, DecidesByTheWholeSizeAndTheLastWriteAsFinelyAsTheTargetKeepsIt)
{
    const FileInfo small{0, 0, 0, 0, 0x10};
    EXPECT_EQ(CompareFileInfos(small, {0, 0, 0, 0, 0x1'0000'0010ULL}), CompareBit::Size);
    EXPECT_EQ(CompareFileInfos(small, {FileAttribute::Hidden, 1, 2, 0, 0x10}) & SyncCompareMask, 0);
    params.settings.DefaultChoice = ReplaceNoToAll;
    files.addFolder(onShare("out"));
    files.setTimeResolution(onShare("out"), 20000000);
    files.addFile("\\Docs\\a.txt", "a", MemoryFileSystem::DefaultTime + 5000000);
    files.addFile("\\Docs\\b.txt", "b", MemoryFileSystem::DefaultTime + 5000000);
    addSession("Mirror", line("Put", "\\Docs", "out", "Sync"), {"\\Docs\\a.txt", "\\Docs\\b.txt"});

    run();
    EXPECT_EQ(progress->snapshot().percent(), 100);
    run();
    EXPECT_EQ(files.journal().filter("copy ").size(), 2);
    files.setTimeResolution(onShare("out"), 0);
    run();
    EXPECT_EQ(files.journal().filter("copy ").size(), 4);
    EXPECT_EQ(messages.texts(),
              QStringList(onShare("out\\") + " does not keep the last-write times of its files, "
                                             "so Sync cannot tell unchanged files and copies "
                                             "them again."));

    // No To All is remembered for the files after it (the run above asks
    // one after another); two times closer than the folder keeps them are the
    // same time.
    int remembered = ReplaceAsk;
    EXPECT_FALSE(SyncPlan::Answered({true, ReplaceNoToAll}, remembered));
    EXPECT_EQ(remembered, ReplaceNoToAll);
    const FileInfo even{0, 0, 0, 20000000, 1}, odd{0, 0, 0, 35000000, 1};
    EXPECT_EQ(SyncMask(even, odd, 20000000), 0);
    EXPECT_EQ(SyncMask(even, odd, FileSystem::MicrosecondTicks), CompareBit::LastWrite);
    EXPECT_EQ(SyncMask(even, odd, 0), CompareBit::LastWrite);
}

// The plan of a Sync, one row per folder: what the listing holds (names
// separated by blanks), the names the run carries, the patterns, "case" when
// the folder ignores letter case; the name the plan probes the case with,
// what it prunes, and the file each carried name lands on ("-" for none).
TEST(SyncPlanTest, PrunesWhatNoCarriedNameLandsOn)
{
    for (const char* text :
         {"a b c|a d||case||b c|a -", // a mirror
          "a.csv b.csv n.txt|a.csv|*.csv|case||b.csv|a.csv",
          "REPORT.TXT x|report.txt||case|report.txt|x|REPORT.TXT",
          "REPORT.TXT x|report.txt|||report.txt|REPORT.TXT x|-",
          "Report.txt report.txt|report.txt||||Report.txt|report.txt", "a b|||case||a b|"}) {
        SCOPED_TRACE(text);
        const QStringList row = QString(text).split(u'|');
        const auto words = [&](int field) { return row[field].split(u' ', Qt::SkipEmptyParts); };
        QList<SyncTarget> listing;
        for (const QString& name : words(0))
            listing.append({"\\T\\" + name, {}});
        SyncPlan plan("\\T\\", listing, words(1), words(2));
        EXPECT_EQ(plan.caseProbe(), row[4]);
        plan.setIgnoresCase(row[3] == "case");
        QStringList pruned, landsOn;
        for (const QString& path : plan.prunes())
            pruned.append(path.mid(3));
        for (const QString& name : words(1)) {
            const std::optional<SyncTarget> target = plan.targetOf(name);
            landsOn.append(target ? target->path.mid(3) : "-");
        }
        EXPECT_EQ(QStringList({pruned.join(u' '), landsOn.join(u' ')}), row.mid(5));
    }
}

} // namespace
} // namespace tarvo::test
