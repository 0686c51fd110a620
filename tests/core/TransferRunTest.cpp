#include "core/transfer/RunPlan.h"
#include "core/transfer/SendRequest.h"
#include "tests/support/MemoryRunFixture.h"

#include <QRegularExpression>
#include <stdexcept>

namespace tarvo::test {
namespace {

using TransferRunTest = MemoryRunFixture;

// Each action as "kind result session source target bytes reason", one per line.
std::string Told(const QList<RunAction>& actions)
{
    QStringList told;
    for (const RunAction& a : actions)
        told << QString("%1 %2 %3 %4 %5 %6 %7")
                    .arg(RunAction::kindName(a.kind), RunAction::resultName(a.result), a.session,
                         a.source, a.target, QString::number(a.bytes),
                         a.reason.section(u'\n', 0, 0))
                    .trimmed();
    return told.join(u'\n').toStdString();
}

// Sessions run in DefaultSession's order, each once, with the entries of
// exactly their name. A share that refuses the logon skips its sessions, told
// in one box that names them; a session none of whose files was chosen is not
// connected and cannot fail the run; an entry of no default session counts in
// the total only; a default session without a line copies into \My
// Documents; an Ftp session transfers nothing. A Put session replaces its
// targets without asking. Every share is connected first, and each session's
// again before its files and released after them: a Get session still reads
// the share that a Put session released.
TEST_F(TransferRunTest, SessionsRunInListOrderEachOnceWithTheirOwnEntries)
{
    files.refuseConnection("\\\\files\\locked", PlatformError::LogonFailure);
    files.refuseConnection("\\\\files\\idle", PlatformError::LogonFailure);
    files.addFiles("\\A\\1.txt=1|\\A\\2.txt=2|\\E\\n.txt=n|" +
                   onShare("out\\small.txt=old and longer|") + onShare("in\\i.txt=in"));
    // Ten minutes apart at noon UTC: on one day in every time zone.
    files.addFile("\\Docs\\big.bin", QByteArray(1234567, 'x'), 133000272000000000);
    files.addFile("\\Docs\\small.txt", "0123456789", 133000272000000000 + 6000000000);
    for (const QString& folder : {onShare("a"), QString("\\My Documents"), QString("\\Inbox")})
        files.addFolder(folder);
    addSession("Locked", "Net,Put,\\\\files\\locked,,\\A", {"\\A\\1.txt"});
    addSession("Idle", "Net,Put,\\\\files\\idle,,\\A");
    addSession("Fetch2", "Net,Get,\\\\files\\locked,,\\In", {"\\\\files\\locked\\x.txt"});
    addSession("Send", line("Put", "\\Docs", "out"), {"\\Docs\\big.bin", "\\Docs\\small.txt"});
    addSession("Alpha", line("Put", "\\A", "a"), {"\\A\\2.txt"});
    addSession("Alpha", line("Put", "\\A", "a"));
    addSession("Nowhere", "", {"\\E\\n.txt"});
    addSession("Old", "Ftp,Put,ftp.example.com,\\A", {"\\A\\1.txt"});
    addSession("Fetch", line("Get", "\\Inbox", "in"), {onShare("in\\i.txt")});
    params.settings.Sessions.insert("Other", line("Put", "\\A", "b"));
    choose("alpha", {"\\A\\1.txt"});
    choose("Other", {"\\A\\1.txt"});

    EXPECT_EQ(run().text(), "5 of 10 files are transferred successfully");
    EXPECT_EQ(messages.texts(), QStringList("Failed to map to network share \\\\files\\locked\r\n"
                                            "Wrong user name or password.\r\n"
                                            "Sessions: Locked, Fetch2"));
    QStringList lines;
    for (const char* name : {"big.bin", "small.txt", "2.txt", "n.txt", "i.txt"})
        lines << QString("Transferring file %1 of 10 ... %2").arg(lines.size() + 1).arg(name);
    EXPECT_EQ(record.lines, lines);
    EXPECT_EQ(files.data("\\My Documents\\n.txt"), "n");
    const ShownFile big = record.shown.value(0);
    EXPECT_EQ(QStringList({big.sizeText, big.sourceFolder, big.targetFolder}),
              QStringList({"1,234,567 bytes", "\\Docs\\", onShare("out\\")}));
    EXPECT_NE(big.modifiedText, record.shown.value(1).modifiedText);
    // What a file shows comes from its copy's own open, never from a look
    // of its own, one file after another.
    EXPECT_EQ(files.lookups(), 0);
    EXPECT_EQ(files.journal().filter("connect").join(", ").remove(" \\\\files\\share"),
              "connect Send, connect Alpha, connect Fetch, disconnect Alpha, disconnect Fetch, "
              "disconnect Send, connect Alpha, disconnect Alpha, connect Fetch, disconnect Fetch");
    EXPECT_EQ(record.summary.unreachableSessions, 2);

    // Send refuses without a default session (an empty first entry is
    // none), with a stop box. (The window tests refuse a Send without a row.)
    messages.clear();
    params.settings.DefaultSession.prepend("");
    EXPECT_FALSE(CheckDefaultSession(params.settings, messages));
    EXPECT_EQ(messages.texts(), QStringList("Please select a default session first"));
    EXPECT_EQ(messages.messages().value(0).icon, MessageIcon::Stop);
}

// A copy that breaks off, or whose source is saved again while it is read,
// is not sent: the old target stays whole and Del keeps the source. Whatever
// breaks a copy off by throwing (no memory left, say) ends the run as one
// that failed, with its reason, instead of ending the program or passing for
// a normal end; what was done before it is counted.
TEST_F(TransferRunTest, ACopyThatDidNotArriveWholeIsNotSent)
{
    files.addFile("\\Docs\\cut.bin", QByteArray(3 << 20, 'c')); // two blocks
    files.addFile("\\Docs\\saved.txt", QByteArray(100000, 's'));
    files.failNext(MemoryFileSystem::Op::Write, "cut.bin", 0);
    files.failNext(MemoryFileSystem::Op::Write, "cut.bin", PlatformError::DiskFull);
    files.addFiles("\\Last\\a.txt=x|\\Last\\b.txt=x|" + onShare("out\\cut.bin=old"));
    files.setBlockHook([this](const QString& source, quint64) {
        if (source.endsWith("saved.txt")) // saved again after its first block
            files.addFile(source, "saved again", MemoryFileSystem::DefaultTime + 1);
        if (source.endsWith("b.txt"))
            throw std::runtime_error("the disk controller was reset");
    });
    // Each first in its session: a copy that failed beside an earlier one is
    // made again, and this time would succeed.
    addSession("Cut", line("Put", "\\Docs", "out", "Del"), {"\\Docs\\cut.bin"});
    addSession("Saved", line("Put", "\\Docs", "out", "Del"), {"\\Docs\\saved.txt"});
    addSession("Last", line("Put", "\\Last", "out"), {"\\Last\\a.txt", "\\Last\\b.txt"});

    const RunSummary summary = run();
    EXPECT_EQ(summary.lines(), QStringList({"1 of 4 files are transferred successfully",
                                            "The run broke off: the disk controller was reset"}));
    EXPECT_FALSE(summary.complete());
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

// A copy that goes on from the part a cut copy left says so: the dry run
// plans a resume with the byte it goes on at, the progress leaves those bytes
// out of the speed, and the run record notes the resumed bytes. (The window
// tests show where the file resumed, the command line's the plan's line.)
TEST_F(TransferRunTest, ACopyThatResumesSaysWhereAndTheBarWeighsEachFileBySize)
{
    files.addFile("\\Docs\\big.bin", QByteArray(6 << 20, 'n'));
    files.addFolder(onShare("out"));
    addSession("Office", line("Put", "\\Docs", "out"), {"\\Docs\\big.bin"});
    files.leavePart(onShare("out\\big.bin"), 4 << 20);
    params.sizes = {6 << 20};

    params.dryRun = true;
    run();
    params.dryRun = false;
    RunPlan plan;
    plan.add(record.actions.value(0));
    EXPECT_EQ(plan.countsText() + ' ' + QString::number(record.actions.value(0).resumedFrom),
              "1 resume 4194304");
    record.actions.clear();

    QList<quint64> blocks;
    files.setBlockHook([&](const QString&, quint64 done) { blocks.append(done); });
    EXPECT_EQ(run().text(), "1 of 1 files are transferred successfully");

    EXPECT_EQ(blocks, QList<quint64>{6 << 20}); // one share block after the part
    EXPECT_EQ(progress->snapshot().bytesResumed, quint64(4 << 20));
    EXPECT_EQ(Told(record.actions), "copy done Office \\Docs\\big.bin " +
                                        onShare("out\\big.bin").toStdString() +
                                        " 6291456 resumed at 4.0 MB of 6.0 MB");

    // Each file weighs its bytes: empty files still move the bar; half of a big
    // file is half the bar. A copy tried again goes back; a file left counts
    // once; a source that grew counts no more than its listed size in the run.
    // The transfer and window tests count blocks from several copies at once.
    const quint64 MiB = 1 << 20;
    RunProgress empty(3, {0, 0, 0});
    empty.finish(0);
    EXPECT_EQ(empty.snapshot().percent(), 33);
    RunProgress grown(2, {1024, 1024});
    grown.watcher(0, nullptr)->blockCopied(4096, 4096);
    EXPECT_EQ(grown.snapshot().bytesDone, 1024u);

    RunProgress bar(2, {64 * MiB, 1024});
    bar.show(0, 1, 64 * MiB);
    bar.watcher(0, nullptr)->blockCopied(40 * MiB, 64 * MiB);
    bar.watcher(0, nullptr)->blockCopied(32 * MiB, 64 * MiB); // tried again from the start
    EXPECT_EQ(bar.snapshot().percent(), 49);
    bar.finish(0);
    bar.finish(0);
    EXPECT_EQ(bar.snapshot().bytesDone, 64 * MiB);
    bar.show(1, 2, 1024);
    bar.watcher(1, nullptr)->blockCopied(1024, 1024);
    bar.finish(1);
    EXPECT_EQ(bar.snapshot().percent(), 100);
}

// Cancel in the middle of a big file: its copy is given up, the old target
// stays, and nothing starts after it. A small file's copy ran ahead and ended
// first: it counts as sent, but no post-operation runs after the stop, so
// its source stays; the summary says so. A stop while a Del question stands
// keeps the source whatever the answer, and nothing more is asked.
TEST_F(TransferRunTest, CancelStopsInTheMiddleOfAFileAndLosesNothing)
{
    files.addFile("\\Docs\\big.bin", QByteArray(3 << 20, 'n')); // two blocks
    files.addFiles("\\Docs\\small.txt=s|\\Later\\a.txt=a|" + onShare("out\\big.bin=old"));
    files.addFolder("\\Sent");
    addSession("Office", line("Put", "\\Docs", "out", "Move", "\\Sent"),
               {"\\Docs\\big.bin", "\\Docs\\small.txt"});
    addSession("Later", line("Put", "\\Later", "later"), {"\\Later\\a.txt"});
    files.setBlockHook([this](const QString& source, quint64) {
        if (source.endsWith("big.bin")) {
            files.waitUntil([&] { return files.exists(onShare("out\\small.txt")); });
            stop.request_stop();
        }
    });

    EXPECT_EQ(run().lines(),
              QStringList({"1 of 3 files are transferred successfully",
                           "The run was cancelled during the copy of \\Docs\\big.bin: that file "
                           "was not sent, and the files after it were not started.",
                           "The post-operation of 1 file that was sent did not run: its source "
                           "stays where it was."}));
    // Of every change (copy, move, delete), only the small file's copy.
    EXPECT_EQ(files.journal().filter(QRegularExpression("^(copy|move|delete) ")),
              QStringList("copy \\Docs\\small.txt -> " + onShare("out\\small.txt")));
    EXPECT_TRUE(messages.texts().isEmpty());

    params.settings.Sessions.insert("Office", line("Put", "\\Docs", "out", "Del"));
    files.setBlockHook({});
    stop = std::stop_source();
    ASSERT_EQ(files.deleteFile(onShare("out\\small.txt"), nullptr), 0);
    messages.onMessage = [this](const QString&) {
        // The small file's copy runs ahead; the stop comes once it arrived.
        files.waitUntil([&] { return files.exists(onShare("out\\small.txt")); });
        stop.request_stop();
    };
    messages.answerNext(MessageResult::Ok);
    const RunSummary stopped = run();
    EXPECT_EQ(QList<int>({stopped.succeeded, stopped.postOperationsNotRun}), QList<int>({2, 2}));
    EXPECT_EQ(messages.texts(), QStringList("Delete file \\Docs\\big.bin ?"));
    EXPECT_TRUE(files.exists("\\Docs\\big.bin") && files.exists("\\Docs\\small.txt"));
}

// The device tells names apart by case, the share does not: of two twins,
// one is refused, and neither the share's file nor the source of the one
// that went is lost. A Sync into the device judges the file of exactly the
// name: A.txt of the same size and time is another file than a.txt. A share
// whose folder lists names that would lead out of it, beside its files: a Get
// sends only the plain ones even when every name is chosen, and a Sync mirror
// prunes no crafted name.
TEST_F(TransferRunTest, TwinsByCaseAndNamesOfAHostileServerLoseNoFile)
{
    files.addFiles("\\Out\\Report.txt=upper|\\Out\\report.txt=lower|\\Mirror\\A.txt=old!|"
                   "\\Mirror\\B.TXT=BBBB|\\Out\\good.txt=good|" +
                   onShare("mirror\\a.txt=new!|") + onShare("mirror\\b.txt=bbbb"));
    files.addFolder(onShare("out"));
    addSession("Put", line("Put", "\\Out", "out", "Del"),
               {"\\Out\\Report.txt", "\\Out\\report.txt"});
    addSession("Sync", line("Get", "\\Mirror", "mirror", "Sync"),
               {onShare("mirror\\a.txt"), onShare("mirror\\b.txt")});
    // Names split at "|", then one too long and one that a NUL cuts short.
    const QStringList crafted =
        QString("..|.|../x|a/b|a\\b|..\\..\\x|C:\\x||\\\\other\\share\\x").split(u'|') +
        QStringList({QString(300, u'L'), QString("cut") + QChar(0) + "/../x"});
    const QString in = onShare("in\\");
    files.listAlso(in, crafted);
    for (const char* name : {"good.txt", "C:x", "stale.txt", "a\\b"})
        files.addFile(in + name, name);
    files.addFolder("\\In");
    addSession("S", line("Get", "\\In", "in", "Del"));
    // In an entry, a "\" in a name reads as a deeper folder.
    FileRows rows;
    for (const QString& name : crafted + QStringList({"C:x", "good.txt", "stale.txt"})) {
        if (!name.contains(u'\\') || name.contains(".."))
            rows.append({name, {}, {}, onShare("in"), "S"}); // a Path without "\"
    }
    params.entries += BuildTransferList(rows);

    EXPECT_EQ(run().succeeded, 6);
    EXPECT_EQ(messages.texts().filter("only in letter case").size(), 1);
    EXPECT_EQ(messages.texts().filter("cannot be used for a file").size(), rows.size() - 3);
    EXPECT_EQ(files.data(onShare("out\\report.txt")) + files.data("\\Out\\report.txt") +
                  files.data("\\Out\\Report.txt"),
              "upperlower");
    EXPECT_EQ(files.names("\\Mirror"), QStringList({"a.txt", "b.txt"}));
    EXPECT_EQ(files.data("\\Mirror\\a.txt"), "new!");

    files.addFile(in + "stale.txt", "stale");
    params.settings.Sessions.insert("S", line("Put", "\\Out", "in", "Sync"));
    params.entries = {{"S", "\\Out\\good.txt"}};
    EXPECT_EQ(run().succeeded, 1);
    EXPECT_FALSE(files.exists(in + "stale.txt"));
    EXPECT_TRUE(files.exists(in + "a\\b"));
}

// Each session sends its file \Docs\NAME.txt, then applies its post-operation
// into \Sent, with each question answered OK unless told otherwise. A
// post-operation that is cancelled or fails keeps the source and the old post
// file whole; a source saved again since its copy stays as it is. (A move onto
// a file of the post folder fails in RunActionsTest.)
TEST_F(TransferRunTest, PostOperationsActOnTheSentFileOnly)
{
    files.addFolder(onShare("out"));
    const auto add = [&](const QString& name, const char* postOp, bool old,
                         quint32 attributes = 0) {
        files.addFile("\\Docs\\" + name + ".txt", "new");
        if (old)
            files.addFile("\\Sent\\" + name + ".txt", "old", MemoryFileSystem::DefaultTime,
                          attributes);
        addSession(name, line("Put", "\\Docs", "out", postOp, "\\Sent"),
                   {"\\Docs\\" + name + ".txt"});
    };
    add("Cancelled", "Copy", true);
    add("ReadOnly", "Copy", true, FileAttribute::ReadOnly);
    add("SavedCopy", "Copy", true);
    add("Refused", "Copy", false);
    add("SavedDel", "Del", false);
    messages.answerNext(MessageResult::Cancel);
    files.failNext(MemoryFileSystem::Op::Copy, "\\Sent\\Refused.txt", PlatformError::AccessDenied);
    messages.onMessage = [this](const QString& text) {
        for (const QString name : {"SavedCopy", "SavedDel"}) {
            if (text.contains(name))
                files.addFile("\\Docs\\" + name + ".txt", "newer", 1);
        }
    };

    EXPECT_EQ(run().failedPostOperations, 4);
    QStringList said; // "? " a question with OK and Cancel, "i " a note with OK
    for (const auto& shown : messages.messages()) {
        const bool question = shown.buttons == MessageButtons::OkCancel;
        EXPECT_EQ(shown.icon, question ? MessageIcon::Question : MessageIcon::Information);
        said.append((question ? "? " : "i ") + shown.text);
    }
    const QString overwrite = "? File \\Sent\\%1.txt exists. Overwrite?";
    const QString changed = "\r\nIt changed after it was copied, so it stays as it is.";
    EXPECT_EQ(said, QStringList({overwrite.arg("Cancelled"), overwrite.arg("ReadOnly"),
                                 "i Failed to overwrite file \\Sent\\ReadOnly.txt\r\n"
                                 "Access is denied.",
                                 overwrite.arg("SavedCopy"),
                                 "i Failed to overwrite file \\Sent\\SavedCopy.txt" + changed,
                                 "i Failed to copy file \\Docs\\Refused.txt to "
                                 "\\Sent\\Refused.txt\r\nAccess is denied.",
                                 "? Delete file \\Docs\\SavedDel.txt ?",
                                 "i Failed to delete file \\Docs\\SavedDel.txt" + changed}));
    EXPECT_EQ(files.names("\\Sent"),
              QStringList({"Cancelled.txt", "ReadOnly.txt", "SavedCopy.txt"}));
    for (const QString& name : files.names("\\Sent"))
        EXPECT_EQ(files.data("\\Sent\\" + name), "old") << name.toStdString();
}

using RunActionsTest = MemoryRunFixture;

// Every file the run touches is told once, with how it ended: a copy onto a
// new name, one onto an old name, a failed copy, a kept and a pruned Sync
// target, and each post-operation (done, declined, failed). The summary says
// what Sync and the post-operations did after its own count. A dry run tells
// the same actions as planned and changes nothing. (RunRecorderTest writes
// what a run tells into its record, SendCommandTest a whole send's record.)
TEST_F(RunActionsTest, EveryActionIsToldWithHowItEnded)
{
    files.addFiles(
        "\\Docs\\a.txt=aa|\\Docs\\b.txt=bbb|\\Docs\\bad.txt=x|\\Sent\\b.txt=filed before|"
        "\\Mirror\\same.txt=s|\\Mirror\\new.txt=n|\\Del\\d.txt=d|\\Del\\e.txt=e|" +
        onShare("out\\b.txt=old|") + onShare("mirror\\same.txt=s|") +
        onShare("mirror\\stale.txt=gone"));
    files.addFolder(onShare("del"));
    addSession("Move", line("Put", "\\Docs", "out", "Move", "\\Sent"),
               {"\\Docs\\a.txt", "\\Docs\\b.txt", "\\Docs\\bad.txt"});
    addSession("Sync", line("Put", "\\Mirror", "mirror", "Sync"),
               {"\\Mirror\\same.txt", "\\Mirror\\new.txt"});
    addSession("Del", line("Put", "\\Del", "del", "Del"), {"\\Del\\d.txt", "\\Del\\e.txt"});
    messages.answerNext(MessageResult::Ok);     // delete d.txt
    messages.answerNext(MessageResult::Cancel); // keep e.txt
    const QStringList journal = files.journal();

    params.dryRun = true;
    run();
    EXPECT_EQ(files.journal().filter(QRegularExpression("^(copy|move|delete) ")),
              journal.filter(QRegularExpression("^(copy|move|delete) ")));
    const QList<RunAction> planned = std::exchange(record.actions, {});
    params.dryRun = false;
    // Twice: a copy that failed while one ahead of it still ran is made again.
    files.failNext(MemoryFileSystem::Op::Copy, "bad.txt", PlatformError::AccessDenied);
    files.failNext(MemoryFileSystem::Op::Copy, "bad.txt", PlatformError::AccessDenied);
    messages.answerNext(MessageResult::Ok);
    messages.answerNext(MessageResult::Cancel);
    const RunSummary summary = run();

    const QString out = onShare("out\\");
    const QStringList done{
        "copy done Move \\Docs\\a.txt " + out + "a.txt 2",
        "post-move done Move \\Docs\\a.txt \\Sent\\a.txt 2",
        "replace done Move \\Docs\\b.txt " + out + "b.txt 3",
        "post-move failed Move \\Docs\\b.txt \\Sent\\b.txt 3 A file of that name already exists.",
        "copy failed Move \\Docs\\bad.txt " + out + "bad.txt 0 Access is denied.",
        "prune done Sync  " + onShare("mirror\\stale.txt") + " 4",
        "keep done Sync \\Mirror\\same.txt " + onShare("mirror\\same.txt") + " 1",
        "copy done Sync \\Mirror\\new.txt " + onShare("mirror\\new.txt") + " 1",
        "copy done Del \\Del\\d.txt " + onShare("del\\d.txt") + " 1",
        "post-delete done Del \\Del\\d.txt \\Del\\d.txt 1",
        "copy done Del \\Del\\e.txt " + onShare("del\\e.txt") + " 1",
        "post-delete declined Del \\Del\\e.txt \\Del\\e.txt 1",
    };
    EXPECT_EQ(Told(record.actions), done.join(u'\n').toStdString());
    EXPECT_EQ(files.data("\\Sent\\b.txt") + files.data("\\Docs\\b.txt"), "filed beforebbb");
    // A copy that fails only as it writes looks fine to a dry run.
    QStringList plan = done;
    plan.replaceInStrings(" done ", " planned ");
    plan[4] = "copy planned Move \\Docs\\bad.txt " + out + "bad.txt 1";
    plan.insert(5, "post-move planned Move \\Docs\\bad.txt \\Sent\\bad.txt 1");
    EXPECT_EQ(Told(planned), plan.join(u'\n').toStdString());
    EXPECT_EQ(summary.lines(),
              QStringList({"6 of 7 files are transferred successfully", "1 post-operation failed",
                           "Sync deleted 1 file of the target folder that was not sent.",
                           "Sync kept 1 target file that looked the same as its source.",
                           "1 source was moved into the post folder.",
                           "1 source was deleted after its copy."}));
}

} // namespace
} // namespace tarvo::test
