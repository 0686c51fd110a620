#include "core/filelist/FileListBuilder.h"
#include "core/filelist/FileTypeIcons.h"
#include "core/transfer/SendRequest.h"
#include "platform/ErrorCodes.h"
#include "tests/support/MemoryRunFixture.h"
#include "tests/support/ScriptedMessageService.h"

#include <gtest/gtest.h>

namespace tarvo::test {
namespace {

using TransferRunTest = MemoryRunFixture;

// Sessions run in DefaultSession's order, each once, with the entries of
// exactly their name. A share that refuses the logon skips its session; an
// entry of no default session counts in the total only; a default session
// without a line copies into \My Documents; an Ftp session transfers nothing.
TEST_F(TransferRunTest, SessionsRunInListOrderEachOnceWithTheirOwnEntries)
{
    files.refuseConnection("\\\\files\\locked", PlatformError::LogonFailure);
    for (const QString name : {"\\A\\1.txt", "\\A\\2.txt", "\\B\\3.txt", "\\E\\n.txt"})
        files.addFile(name, name.toUtf8());
    files.addFolder(onShare("a"));
    files.addFolder(onShare("b"));
    files.addFolder("\\My Documents");
    addSession("Locked", NetSessionLine("Put", "\\\\files\\locked", "", "\\A", "", "", "", "", ""),
               {"\\A\\1.txt"});
    addSession("Beta", line("Put", "\\B", "b"), {"\\B\\3.txt"});
    addSession("Alpha", line("Put", "\\A", "a"), {"\\A\\2.txt"});
    addSession("Alpha", line("Put", "\\A", "a"));
    addSession("Nowhere", "", {"\\E\\n.txt"});
    addSession("Old", "Ftp,Put,ftp.example.com,\\A", {"\\A\\1.txt"});
    params.settings.Sessions.insert("Other", line("Put", "\\A", "b"));
    choose("alpha", {"\\A\\1.txt"});
    choose("Other", {"\\A\\1.txt"});

    const RunSummary summary = run();

    EXPECT_EQ(summary.text(), "3 of 7 files are transferred successfully");
    EXPECT_EQ(messages.texts(), QStringList("Failed to map to network share \\\\files\\locked\r\n"
                                            "Wrong user name or password."));
    EXPECT_EQ(record.lines, QStringList({"Transferring file 1 of 7 ... 3.txt",
                                         "Transferring file 2 of 7 ... 2.txt",
                                         "Transferring file 3 of 7 ... n.txt"}));
    EXPECT_EQ(files.names(onShare("a")), QStringList("2.txt"));
    EXPECT_EQ(files.names(onShare("b")), QStringList("3.txt"));
    EXPECT_EQ(files.data("\\My Documents\\n.txt"), "\\E\\n.txt");
}

TEST_F(TransferRunTest, ShowsEachFileAndReplacesTargetsWithoutAsking)
{
    // Ten minutes apart at noon UTC: on one day in every time zone.
    files.addFile("\\Docs\\big.bin", QByteArray(1234567, 'x'), 133000272000000000);
    files.addFile("\\Docs\\small.txt", "0123456789", 133000272000000000 + 6000000000);
    files.addFile(onShare("out\\small.txt"), "old and longer");
    addSession("Office", line("Put", "\\Docs", "out"), {"\\Docs\\big.bin", "\\Docs\\small.txt"});

    EXPECT_TRUE(run().complete());
    ASSERT_EQ(record.shown.size(), 2);
    EXPECT_EQ(record.shown[0].sizeText, "1,234,567 bytes");
    EXPECT_EQ(record.shown[0].sourceFolder, "\\Docs\\");
    EXPECT_EQ(record.shown[0].targetFolder, onShare("out\\"));
    EXPECT_NE(record.shown[0].modifiedText, record.shown[1].modifiedText);
    EXPECT_EQ(record.positions.last(), 100);
}

// Each Net session's share is connected before its files and released after
// them: a Get session still reads the share that a Put session released.
TEST_F(TransferRunTest, PutAndGetSessionsOnOneShareBothTransfer)
{
    files.addFile("\\Outbox\\o.txt", "out");
    files.addFile(onShare("in\\i.txt"), "in");
    files.addFolder(onShare("out"));
    files.addFolder("\\Inbox");
    addSession("Send", line("Put", "\\Outbox", "out"), {"\\Outbox\\o.txt"});
    addSession("Fetch", line("Get", "\\Inbox", "in"), {onShare("in\\i.txt")});

    EXPECT_TRUE(run().complete());
    EXPECT_EQ(files.journal().filter("connect"),
              QStringList({"connect Send \\\\files\\share", "disconnect Send",
                           "connect Fetch \\\\files\\share", "disconnect Fetch"}));
}

// A copy that breaks off, or whose source is saved again while it is read,
// is not sent: the old target stays whole and Del keeps the source.
TEST_F(TransferRunTest, ACopyThatDidNotArriveWholeIsNotSent)
{
    files.addFile("\\Docs\\cut.bin", QByteArray(200000, 'c'));
    files.addFile("\\Docs\\saved.txt", QByteArray(100000, 's'));
    files.addFile(onShare("out\\cut.bin"), "old");
    files.failWrite("cut.bin", 2, PlatformError::DiskFull);
    files.changeDuringCopy("\\Docs\\saved.txt", "saved again", MemoryFileSystem::DefaultTime + 1);
    // Each first in its session: a copy that failed beside an earlier one is
    // made again, and this time would succeed.
    addSession("Cut", line("Put", "\\Docs", "out", "Del"), {"\\Docs\\cut.bin"});
    addSession("Saved", line("Put", "\\Docs", "out", "Del"), {"\\Docs\\saved.txt"});

    EXPECT_EQ(run().text(), "0 of 2 files are transferred successfully");
    EXPECT_EQ(files.data(onShare("out\\cut.bin")), "old");
    EXPECT_FALSE(files.exists(onShare("out\\saved.txt")));
    EXPECT_EQ(files.data("\\Docs\\saved.txt"), "saved again");
    EXPECT_TRUE(files.exists("\\Docs\\cut.bin"));
    EXPECT_EQ(messages.texts(),
              QStringList({"Failed to copy file \\Docs\\cut.bin to " + onShare("out\\cut.bin") +
                               "\r\nThere is not enough space left on the disk.",
                           "Failed to copy file \\Docs\\saved.txt to " + onShare("out\\saved.txt") +
                               "\r\nThe file changed while it was being copied."}));
}

// Cancel in the middle of a big file: its copy is abandoned, its
// post-operation does not act, and nothing starts after it. A small file's
// copy ran ahead and ended first: it counts and is filed.
TEST_F(TransferRunTest, CancelStopsInTheMiddleOfAFileAndLosesNothing)
{
    files.addFile("\\Docs\\big.bin", QByteArray(1 << 20, 'n'));
    files.addFile("\\Docs\\small.txt", "s");
    files.addFile(onShare("out\\big.bin"), "old");
    files.addFile("\\Later\\a.txt", "a");
    files.addFolder(onShare("later"));
    files.addFolder("\\Sent");
    addSession("Office", line("Put", "\\Docs", "out", "Move", "\\Sent"),
               {"\\Docs\\big.bin", "\\Docs\\small.txt"});
    addSession("Later", line("Put", "\\Later", "later"), {"\\Later\\a.txt"});
    files.setBlockHook([this](const QString& source) {
        if (source.endsWith("big.bin") &&
            Await([&] { return files.exists(onShare("out\\small.txt")); }))
            cancel.cancel();
    });

    const RunSummary summary = run();

    EXPECT_EQ(summary.succeeded, 1);
    EXPECT_TRUE(summary.cancelled);
    EXPECT_TRUE(files.exists("\\Docs\\big.bin"));
    EXPECT_EQ(files.names("\\Sent"), QStringList("small.txt"));
    EXPECT_FALSE(files.journal().contains("connect Later \\\\files\\share"));
    EXPECT_TRUE(messages.texts().isEmpty());
}

// The device tells names apart by case, the share does not: of two twins,
// one is refused, and neither the share's file nor the source of the one
// that went is lost. A Sync into the device judges the file of exactly the
// name: A.txt of the same size and time is another file than a.txt.
TEST_F(TransferRunTest, TwinsByCaseAreSentOnce)
{
    files.addFile("\\Out\\Report.txt", "upper");
    files.addFile("\\Out\\report.txt", "lower");
    files.addFolder(onShare("out"));
    addSession("Put", line("Put", "\\Out", "out", "Del"),
               {"\\Out\\Report.txt", "\\Out\\report.txt"});
    files.addFile(onShare("mirror\\a.txt"), "new!");
    files.addFile(onShare("mirror\\b.txt"), "bbbb");
    files.addFile("\\Mirror\\A.txt", "old!");
    files.addFile("\\Mirror\\B.TXT", "BBBB");
    addSession("Sync", line("Get", "\\Mirror", "mirror", "Sync"),
               {onShare("mirror\\a.txt"), onShare("mirror\\b.txt")});

    EXPECT_EQ(run().succeeded, 3);
    EXPECT_EQ(messages.texts().filter("only in letter case").size(), 1);
    EXPECT_EQ(files.data(onShare("out\\report.txt")) + files.data("\\Out\\report.txt") +
                  files.data("\\Out\\Report.txt"),
              "upperlower");
    EXPECT_EQ(files.names("\\Mirror"), QStringList({"a.txt", "b.txt"}));
    EXPECT_EQ(files.data("\\Mirror\\a.txt"), "new!");
}

// A share whose folder lists names that would lead out of it, beside its
// files: the list shows only the plain ones, a Get sends only those even when
// every name is chosen, and a Sync mirror prunes no crafted name.
TEST_F(TransferRunTest, NamesOfAHostileServerNeverLeadOutOfTheSessionsFolders)
{
    const QStringList crafted = {"..",
                                 ".",
                                 "../x",
                                 "a/b",
                                 "a\\b",
                                 "..\\..\\x",
                                 "C:\\x",
                                 "",
                                 "\\\\other\\share\\x",
                                 QString(300, u'L'),
                                 QString("cut") + QChar(0) + "/../x"};
    const QString in = onShare("in\\");
    files.listAlso(in, crafted);
    for (const char* name : {"good.txt", "C:x", "stale.txt", "a\\b"})
        files.addFile(in + name, name);
    files.addFile("\\Out\\good.txt", "good");
    files.addFolder("\\In");
    params.settings.Filter = "*";
    addSession("S", line("Get", "\\In", "in", "Del"));

    FileTypeIcons icons;
    QStringList listed;
    for (const FileRow& row : BuildFileList(params.settings, {files, files, messages, icons}))
        listed.append(row.name);
    EXPECT_EQ(listed, QStringList({"C:x", "good.txt", "stale.txt"}));
    // In an entry, a "\" in a name reads as a deeper folder.
    FileRows rows;
    for (const QString& name : crafted + listed) {
        if (!name.contains(u'\\') || name.contains(".."))
            rows.append({name, {}, {}, in, "S"});
    }
    params.entries = BuildTransferList(rows);
    EXPECT_EQ(run().succeeded, 3);
    EXPECT_EQ(messages.texts().filter("cannot be used for a file").size(), rows.size() - 3);

    files.addFile(in + "stale.txt", "stale");
    params.settings.Sessions.insert("S", line("Put", "\\Out", "in", "Sync"));
    params.entries = {"S,\\Out\\good.txt"};
    EXPECT_EQ(run().succeeded, 1);
    EXPECT_FALSE(files.exists(in + "stale.txt"));
    EXPECT_TRUE(files.exists(in + "a\\b"));
}

// A Put session sends \Docs\a.txt, then applies its post-operation, into the
// post folder \Sent, with each question answered OK unless told otherwise.
enum class Twist { None, Cancel, ReadOnlyPostFile, SavedAfterCopy, CopyFails, NoPostFolder };

struct PostCase
{
    const char* name;
    const char* postOp;
    const char* postBefore; // \Sent\a.txt before; null: none
    Twist twist;
    QString said;      // each message: "? " a question or "i " a note, its text, "|"
    const char* after; // the source kept or gone, the post file, the failures
};

class PostOperationsTest : public MemoryRunFixture, public ::testing::WithParamInterface<PostCase>
{};

TEST_P(PostOperationsTest, ActOnTheSentFileOnly)
{
    const PostCase& c = GetParam();
    const QString folder = c.twist == Twist::NoPostFolder ? "" : "\\Sent";
    const QString post = folder + "\\a.txt";
    addSession("Office", line("Put", "\\Docs", "out", c.postOp, folder), {"\\Docs\\a.txt"});
    files.addFolder(onShare("out"));
    files.addFile("\\Docs\\a.txt", "new");
    files.addFolder("\\Sent");
    if (c.postBefore)
        files.addFile(post, c.postBefore, MemoryFileSystem::DefaultTime,
                      c.twist == Twist::ReadOnlyPostFile ? FileAttribute::ReadOnly : 0);
    if (c.twist == Twist::CopyFails)
        files.failNext(MemoryFileSystem::Op::Copy, post, PlatformError::AccessDenied);
    if (c.twist == Twist::SavedAfterCopy)
        messages.onMessage = [this](const QString&) { files.addFile("\\Docs\\a.txt", "newer", 1); };
    if (c.twist == Twist::Cancel)
        messages.answerNext(MessageResult::Cancel);

    const RunSummary summary = run();

    QString said;
    for (const auto& shown : messages.messages()) {
        const bool question = shown.icon == MessageIcon::Question;
        const bool note = shown.icon == MessageIcon::Information;
        said += (question && shown.buttons == MessageButtons::OkCancel ? "? "
                 : note && shown.buttons == MessageButtons::Ok         ? "i "
                                                                       : "! ") +
                shown.text + '|';
    }
    EXPECT_EQ(said, QString(c.said).replace("%1", "\\Docs\\a.txt").replace("%2", post));
    EXPECT_EQ(QString("%1 %2 %3")
                  .arg(files.exists("\\Docs\\a.txt") ? "kept" : "gone", files.data(post))
                  .arg(summary.failedPostOperations),
              c.after);
}

const QString Overwrite = "? File %2 exists. Overwrite?|";
const QString Delete = "? Delete file %1 ?|";
const QString Changed = "\r\nIt changed after it was copied, so it stays as it is.|";

INSTANTIATE_TEST_SUITE_P(
    Cases, PostOperationsTest,
    ::testing::Values(
        PostCase{"CopyOverwriteCancel", "Copy", "old", Twist::Cancel, Overwrite, "kept old 0"},
        PostCase{"CopyOverAReadOnlyFile", "Copy", "old", Twist::ReadOnlyPostFile,
                 Overwrite + "i Failed to overwrite file %2\r\nAccess is denied.|", "kept old 1"},
        // The old post file stays whole when the copy that replaces it fails.
        PostCase{"CopyOfAFileSavedSinceItsCopy", "Copy", "old", Twist::SavedAfterCopy,
                 Overwrite + "i Failed to overwrite file %2" + Changed, "kept old 1"},
        PostCase{"CopyFails", "Copy", nullptr, Twist::CopyFails,
                 "i Failed to copy file %1 to %2\r\nAccess is denied.|", "kept  1"},
        PostCase{"DelOfAFileSavedSinceItsCopy", "Del", nullptr, Twist::SavedAfterCopy,
                 Delete + "i Failed to delete file %1" + Changed, "kept  1"},
        PostCase{"MoveOntoAFile", "Move", "old", Twist::None,
                 "i Failed to move file %1 to %2\r\nA file of that name already exists.|",
                 "kept old 1"},
        PostCase{"MoveWithoutAPostFolder", "Move", nullptr, Twist::NoPostFolder, "", "gone new 0"}),
    [](const auto& info) { return std::string(info.param.name); });

// Sync compares the whole size, and nothing but the size and the last-write
// time: 4 GiB apart is not the same, another creation time is.
TEST(CompareFileInfosTest, SyncSeesTheWholeSizeAndTheLastWriteOnly)
{
    const FileInfo small{0, 0, 0, 0, 0x10};
    EXPECT_EQ(CompareFileInfos(small, {0, 0, 0, 0, 0x1'0000'0010ULL}), CompareBit::Size);
    EXPECT_EQ(CompareFileInfos(small, {0, 0, 0, 0, 0x11}), CompareBit::Size);
    EXPECT_EQ(CompareFileInfos(small, {FileAttribute::Hidden, 1, 2, 0, 0x10}) & SyncCompareMask, 0);
}

class SyncRunTest : public MemoryRunFixture
{
protected:
    void SetUp() override { files.addFolder(onShare("out")); }
    void mirror(const QStringList& chosen)
    {
        addSession("Mirror", line("Put", "\\Docs", "out", "Sync"), chosen);
    }
    int copies() const { return int(files.journal().filter("copy ").size()); }
};

// The run carries a.txt, c.txt (the same as its target) and the new d.txt
// into a folder that also holds b.txt, e.txt and a folder: a changed file
// is copied without a question, the same one as DefaultChoice or the
// answers say; an answer "to all" spares the questions after it.
const ReplaceReply Yes{true, ReplaceYes}, No{true, ReplaceNo}, Closed{false, ReplaceYes};
const ReplaceReply YesToAll{true, ReplaceYesToAll};

struct SyncCase
{
    const char* name;
    int defaultChoice;
    bool aChanged;
    QList<ReplaceReply> replies;
    int questions;
    int copies;
};

class SyncDecisionTest : public SyncRunTest, public ::testing::WithParamInterface<SyncCase>
{};

TEST_P(SyncDecisionTest, MirrorsTheRunIntoTheTargetFolder)
{
    const SyncCase& c = GetParam();
    params.settings.DefaultChoice = c.defaultChoice;
    for (const ReplaceReply& reply : c.replies)
        messages.answerNextReplace(reply);
    for (const QString name : {"a.txt", "c.txt", "d.txt"})
        files.addFile("\\Docs\\" + name, "new");
    files.addFile(onShare("out\\a.txt"), c.aChanged ? "changed" : "new");
    for (const QString name : {"b.txt", "c.txt", "e.txt"})
        files.addFile(onShare("out\\" + name), "new");
    files.addFolder(onShare("out\\keep"));
    mirror({"\\Docs\\a.txt", "\\Docs\\c.txt", "\\Docs\\d.txt"});

    EXPECT_EQ(run().text(), "3 of 3 files are transferred successfully");
    EXPECT_EQ(files.names(onShare("out")), QStringList({"a.txt", "c.txt", "d.txt", "keep"}));
    EXPECT_EQ(copies(), c.copies);
    EXPECT_EQ(messages.replaceQuestions().size(), c.questions);
    for (const ScriptedMessageService::Asked& asked : messages.replaceQuestions())
        EXPECT_EQ(asked.existing.path, onShare("out\\") + asked.incoming.path.mid(6));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SyncDecisionTest,
    ::testing::Values(SyncCase{"ChangedIsCopiedWithoutAQuestion", ReplaceAsk, true, {No}, 1, 2},
                      SyncCase{"DefaultYes", ReplaceYesToAll, false, {}, 0, 3},
                      SyncCase{"YesEachTime", ReplaceAsk, false, {Yes, Yes}, 2, 3},
                      SyncCase{"QuestionsClosed", ReplaceAsk, false, {Closed, Closed}, 2, 1},
                      SyncCase{"YesToAll", ReplaceAsk, false, {YesToAll, No}, 1, 3}),
    [](const auto& info) { return std::string(info.param.name); });

// Pruning deletes only plain files of the target folder that the session's
// entries do not carry and that the run's NAME patterns match; a name that
// differs from a carried one only in letter case may be the carried file.
TEST_F(SyncRunTest, PruningSparesWhatTheRunDoesNotMirror)
{
    params.namePatterns = {"*.csv"};
    addSession("Idle", line("Put", "\\Docs", "idle", "Sync"));
    files.addFile(onShare("idle\\keep.csv"), "k");
    files.addFile("\\Docs\\a.csv", "new");
    files.addFile(onShare("out\\A.CSV"), "old");
    files.addFile(onShare("out\\b.csv"), "b");
    files.addFile(onShare("out\\x.csv"), "x");
    files.addFile(onShare("out\\notes.txt"), "n");
    files.addFolder(onShare("out\\sub.csv"));
    mirror({"\\Docs\\a.csv"});
    choose("Other", {"\\Docs\\b.csv"});

    run();

    EXPECT_EQ(files.names(onShare("out")), QStringList({"A.CSV", "notes.txt", "sub.csv"}));
    EXPECT_EQ(files.data(onShare("out\\A.CSV")), "new");
    EXPECT_EQ(files.names(onShare("idle")), QStringList("keep.csv"));
}

// A share that keeps times to 2 seconds: what Sync copied once is the same
// on the next run. One that keeps no time: said once, and copied again.
TEST_F(SyncRunTest, TimesCountAsEqualAsFinelyAsTheTargetKeepsThem)
{
    params.settings.DefaultChoice = ReplaceNoToAll;
    files.setTimeResolution(onShare("out"), 20000000);
    files.addFile("\\Docs\\a.txt", "a", MemoryFileSystem::DefaultTime + 5000000);
    files.addFile("\\Docs\\b.txt", "b", MemoryFileSystem::DefaultTime + 5000000);
    mirror({"\\Docs\\a.txt", "\\Docs\\b.txt"});

    run();
    run();
    EXPECT_EQ(copies(), 2);
    files.setTimeResolution(onShare("out"), 0);
    run();
    EXPECT_EQ(copies(), 4);
    EXPECT_EQ(messages.texts(),
              QStringList(onShare("out\\") + " does not keep the last-write times of its files, "
                                             "so Sync cannot tell unchanged files and copies "
                                             "them again."));
}

// A target folder that cannot be listed prunes nothing, and each file is
// judged on its own; a copy that fails is not counted.
TEST_F(SyncRunTest, AnUnlistedTargetFolderIsJudgedFileByFile)
{
    files.failNext(MemoryFileSystem::Op::List, "share\\out", PlatformError::AccessDenied);
    files.addFile("\\Docs\\a.txt", "new-a");
    files.addFile(onShare("out\\a.txt"), "old!");
    files.addFile(onShare("out\\stale.txt"), "s");
    mirror({"\\Docs\\a.txt", "\\Docs\\missing.txt"});

    EXPECT_EQ(run().text(), "1 of 2 files are transferred successfully");
    EXPECT_EQ(messages.texts(),
              QStringList("Failed to copy file \\Docs\\missing.txt to " +
                          onShare("out\\missing.txt") + "\r\nThe file does not exist (any more)."));
    EXPECT_EQ(files.data(onShare("out\\a.txt")), "new-a");
    EXPECT_EQ(files.names(onShare("out")), QStringList({"a.txt", "stale.txt"}));
}

TEST(SendRequestTest, OneEntryPerRowInRowOrder)
{
    const FileRows rows{{"a,b.txt", {}, {}, "\\My Documents\\", "Office", 0},
                        {"c.txt", {}, {}, "\\\\pc\\docs", "Home", 0}};
    EXPECT_EQ(BuildTransferList(rows),
              QStringList({"Office,\\My Documents\\a,b.txt", "Home,\\\\pc\\docs\\c.txt"}));
}

// Send refuses without a default session, then without a row, with a stop box.
TEST(SendRequestTest, RefusesWithAStopMessage)
{
    const auto refusal = [](const QStringList& defaults, const TransferList& entries) {
        ScriptedMessageService messages;
        Settings settings;
        settings.DefaultSession = defaults;
        const bool goesOn =
            CheckDefaultSession(settings, messages) && CheckSelection(entries, messages);
        for (const auto& shown : messages.messages())
            EXPECT_EQ(shown.icon, MessageIcon::Stop);
        return goesOn ? "goes on" : messages.texts().join('|');
    };
    EXPECT_EQ(refusal({"", "A"}, {"A,\\a.txt"}), "Please select a default session first");
    EXPECT_EQ(refusal({"A"}, {}), "No items were selected");
    EXPECT_EQ(refusal({"A"}, {"B,\\a.txt"}), "goes on");
}

} // namespace
} // namespace tarvo::test
